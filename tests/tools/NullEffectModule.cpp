// A module with a proper entry point that creates no effect, as a broken or refusing plug-in does.

#include "vst2/VstInterface.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
