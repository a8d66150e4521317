#include "tests/x11/X11TestPanel.h"

#include <algorithm>
#include <vector>

#include "platform/headless/IGraphicsHeadless.h"
#include "platform/x11/IGraphicsX11.h"

namespace x11_test {

using namespace editor_test;

namespace {

struct PanelImages
{
  std::vector<unsigned char> files[5];
  EmbeddedResource entries[5];
  EmbeddedResourceTable table;

  PanelImages()
  {
    const char* names[5] = {"bg.png", "knob.png", "switch.png", "mode.png", "steps.png"};
    const Picture pictures[5] = {
      MakeFilmstrip(kPanelW, kPanelH, 1, false, 11), MakeFilmstrip(kKnobSize, kKnobSize, kKnobFrames, false, 12),
      MakeFilmstrip(kSwitchSize, kSwitchSize, 2, false, 13), MakeFilmstrip(kModeW, kModeH, 3, true, 14),
      MakeFilmstrip(kStepsW, kStepsH, 11, false, 15)};
    for (int i = 0; i < 5; ++i)
    {
      files[i] = EncodePNG(pictures[i]);
      entries[i] = {names[i], files[i].data(), files[i].size()};
    }
    table = {entries, 5};
  }
};

void AttachPanel(IGraphics* pGraphics, IPlugBase* pPlug)
{
  pGraphics->AttachBackground(1001, "resources/img/bg.png");
  IBitmap knob = pGraphics->LoadIBitmap(1002, "knob.png", kKnobFrames);
  IBitmap toggle = pGraphics->LoadIBitmap(1003, "switch.png", 2);
  IBitmap mode = pGraphics->LoadIBitmap(1004, "mode.png", 3, true);
  IBitmap steps = pGraphics->LoadIBitmap(1005, "steps.png", 11);
  pGraphics->AttachControl(new TestKnob(pPlug, kKnobX, kKnobY, kGain, &knob));
  pGraphics->AttachControl(new TestSwitch(pPlug, kSwitchX, kSwitchY, kSwitch, &toggle));
  pGraphics->AttachControl(new TestPrompter(pPlug, kModeX, kModeY, kMode, &mode));
  pGraphics->AttachControl(new TestPrompter(pPlug, kStepsX, kStepsY, kSteps, &steps));
  pGraphics->AttachControl(new TestKnob(pPlug, kNegX, kNegY, kNeg, &knob));
}

} // namespace

const EmbeddedResourceTable& PanelResources()
{
  static const PanelImages images;
  return images.table;
}

// ---- Controls ----

TestKnob::TestKnob(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap)
  : IBitmapControl(pPlug, x, y, paramIdx, pBitmap)
{
  DisablePrompt(false);
}

void TestKnob::Move(double delta)
{
  mValue = std::clamp(mValue + delta, 0.0, 1.0);
  SetDirty();
}

void TestKnob::OnMouseDrag(int, int, int, int dY, IMouseMod*)
{
  Move(-0.01 * dY);
}

void TestKnob::OnMouseWheel(int, int, IMouseMod*, int d)
{
  Move(0.05 * d);
}

bool TestKnob::OnKeyDown(int, int, int key)
{
  if (key != KEY_UPARROW && key != KEY_DOWNARROW) return false;
  Move(key == KEY_UPARROW ? 0.1 : -0.1);
  return true;
}

void TestSwitch::OnMouseDown(int, int, IMouseMod* pMod)
{
  if (!pMod->L) return;
  mValue = mValue > 0.5 ? 0.0 : 1.0;
  SetDirty();
}

TestPrompter::TestPrompter(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap)
  : IBitmapControl(pPlug, x, y, paramIdx, pBitmap)
{
  DisablePrompt(false);
}

void TestPrompter::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput(&mRECT);
}

// ---- Plug-in ----

PanelPlug* PanelPlug::sLast = nullptr;

PanelPlug::PanelPlug(IPlugInstanceInfo info, EHost host)
  : IPlugVST(info, kNumTestParams, "1-1 2-2", 1, "X11Panel", "", "Tester", 0x10000, 0x58313150, 0x54737472)
{
  InitTestParams(this);
  IGraphics* pGraphics;
  if (host == kX11)
  {
    IGraphicsX11* pX11 = new IGraphicsX11(this, kPanelW, kPanelH, 30);
    pX11->SetResources(&PanelResources());
    pGraphics = pX11;
  }
  else
  {
    IGraphicsHeadless* pHeadless = new IGraphicsHeadless(this, kPanelW, kPanelH, 30);
    const EmbeddedResourceTable& table = PanelResources();
    for (size_t i = 0; i < table.count; ++i)
      pHeadless->AddResource(table.entries[i].name, table.entries[i].data, static_cast<int>(table.entries[i].size));
    pGraphics = pHeadless;
  }
  AttachPanel(pGraphics, this);
  AttachGraphics(pGraphics);
  MakeDefaultPreset("first", 1);
}

void PanelPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  for (int c = 0; c < NOutChannels(); ++c)
    for (int s = 0; s < nFrames; ++s) outputs[c][s] = inputs[c][s];
}

namespace {

AEffect* MakePanel(audioMasterCallback hostCallback, PanelPlug::EHost host)
{
  IPlugInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  PanelPlug* pPlug = new PanelPlug(info, host);
  pPlug->EnsureDefaultPreset();
  PanelPlug::sLast = pPlug;
  return pPlug->GetAEffect();
}

} // namespace

AEffect* X11PanelEntry(audioMasterCallback hostCallback)
{
  return MakePanel(hostCallback, PanelPlug::kX11);
}

AEffect* HeadlessPanelEntry(audioMasterCallback hostCallback)
{
  return MakePanel(hostCallback, PanelPlug::kHeadless);
}

} // namespace x11_test
