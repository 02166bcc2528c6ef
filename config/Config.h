#pragma once
// Configuration records, the working directory and the configuration file readers.
#include "config/AdaptorCatalogue.h"
#include "config/EnvironmentModules.h"
#include "config/QxRecords.h"
#include "config/ServerEnvironment.h"
#include "config/WorkingDir.h"
