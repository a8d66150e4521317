#pragma once

// The framework's small shared helpers in one include.
#include "plugin/Hosts.h"
#include "plugin/Log.h"
#include "plugin/TextUtils.h"
#include "plugin/Timer.h"
#include "plugin/Timestamps.h"
#include "plugin/Versions.h"
