#pragma once
#include "settings/settings.h"
#include "isdata/worker.h"
