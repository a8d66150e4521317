// The test panel with its X11 editor as a loadable VST 2 module, for trying the editor in a real
// host (build target x11_test_panel_vst, file X11TestPanel.so).

#include "tests/x11/X11TestPanel.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
  return x11_test::X11PanelEntry(hostCallback);
}
