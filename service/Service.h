#pragma once
// Service access: server and local execution, service lists and sources, messages.
#include "service/LocalExecution.h"
#include "service/ResultMessages.h"
#include "service/ServerExecution.h"
#include "service/ServiceList.h"
#include "service/ServiceSource.h"
