#pragma once
#include "isdata/worker.h"
#include "settings/settings.h"
