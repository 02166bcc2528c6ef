#pragma once
// Editor assistance: the object member catalogue, its member list file and tip texts.
#include "editor/ObjectCatalogue.h"
