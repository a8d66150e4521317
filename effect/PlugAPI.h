#pragma once

// The plug-in interface a build of the effect is compiled against. The LV2 module's sources are
// compiled with KESTRUNE_LV2; everything else builds the VST 2 plug-in. Both wrappers take the
// same constructor arguments, so the effect derives from IPlug and reads the same either way.
#if defined(KESTRUNE_LV2)
#include "lv2/IPlugLV2.h"
using IPlug = IPlugLV2;
#else
#include "vst2/IPlugVST.h"
using IPlug = IPlugVST;
#endif
