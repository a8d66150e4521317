#pragma once

// The test plug-in of the X11 editor tests: the test parameters of the editor tests behind the
// VST 2 wrapper, with one editor layout that is built either on the X11 host or on the headless
// host (the reference), from the same images.

#include "graphics/IBitmapControl.h"
#include "platform/resources/EmbeddedResources.h"
#include "tests/graphics/EditorTestKit.h"
#include "vst2/IPlugVST.h"

namespace x11_test {

// Editor size and where the controls sit.
constexpr int kPanelW = 240, kPanelH = 160;
constexpr int kKnobX = 20, kKnobY = 30, kKnobSize = 48, kKnobFrames = 16;         // kGain
constexpr int kSwitchX = 100, kSwitchY = 40, kSwitchSize = 32;                    // kSwitch
constexpr int kModeX = 150, kModeY = 40, kModeW = 64, kModeH = 24;                // kMode
constexpr int kStepsX = 20, kStepsY = 110, kStepsW = 80, kStepsH = 20;            // kSteps
constexpr int kNegX = 140, kNegY = 100, kNegSize = 40;                             // kNeg, no prompt

// The panel's images as PNG files, and the table the X11 host loads them from.
const EmbeddedResourceTable& PanelResources();

// A filmstrip knob: dragging up raises it by 0.01 per pixel, a wheel notch by 0.05, the up and
// down arrows by 0.1 (other keys are not taken); a double click restores the default, a right
// click asks for a value.
class TestKnob : public IBitmapControl
{
public:
  TestKnob(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  bool OnKeyDown(int x, int y, int key) override;

private:
  void Move(double delta);
};

// A two-frame switch that flips on a left press.
class TestSwitch : public IBitmapControl
{
public:
  using IBitmapControl::IBitmapControl;
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// A filmstrip that asks for its value (a menu or a text field) on any press.
class TestPrompter : public IBitmapControl
{
public:
  TestPrompter(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// The plug-in: the editor test parameters and the panel on the chosen host.
class PanelPlug : public IPlugVST
{
public:
  enum EHost
  {
    kHeadless,
    kX11
  };
  PanelPlug(IPlugInstanceInfo info, EHost host);

  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  IGraphics* Editor() const { return GetGUI(); }

  // The plug-in the last entry call made.
  static PanelPlug* sLast;
};

// Entry points of the plug-in with either host, for TestHost::UseEntryPoint.
AEffect* X11PanelEntry(audioMasterCallback hostCallback);
AEffect* HeadlessPanelEntry(audioMasterCallback hostCallback);

} // namespace x11_test
