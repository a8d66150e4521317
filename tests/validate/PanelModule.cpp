// The X11 editor tests' panel plug-in as a module of its own: an editor made of the framework's
// bitmap controls on the X11 editor host, for the validator's editor check to open and close.

#include "tests/x11/X11TestPanel.h"

#define PANEL_EXPORT extern "C" __attribute__((visibility("default")))

PANEL_EXPORT AEffect* VSTPluginMain(audioMasterCallback hostCallback);
PANEL_EXPORT AEffect* PanelMainAlias(audioMasterCallback hostCallback) __asm__("main");

AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
  return x11_test::X11PanelEntry(hostCallback);
}

AEffect* PanelMainAlias(audioMasterCallback hostCallback)
{
  return x11_test::X11PanelEntry(hostCallback);
}
