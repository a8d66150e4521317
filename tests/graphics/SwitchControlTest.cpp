#include <gtest/gtest.h>

#include "graphics/IGraphics.h"
#include "graphics/ISwitchControl.h"
#include "plugin/IParam.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;
using Answer = IGraphicsHeadless::Answer;
using Prompt = IGraphicsHeadless::Prompt;

namespace
{
// The frame a filmstrip of n frames shows for value v, worked from the positions: position k of
// n - 1 steps is frame k + 1, and v picks the nearest position (halves going up).
int NearestFrame(int n, double v)
{
  if (n < 2) return 1;
  int best = 1;
  for (int k = 1; k < n; ++k)
    if (v >= (k - 0.5) / (n - 1)) best = k + 1;
  return best;
}

// A filmstrip of random pictures and its handle.
struct Strip
{
  Picture picture;
  IBitmap bitmap;
};

Strip MakeStrip(ControlEditor& ed, Rng& rng, int frames, bool horizontal)
{
  const int fw = rng.Int(3, 24), fh = rng.Int(3, 24);
  Strip s;
  s.picture = RandomPicture(horizontal ? fw * frames : fw, horizontal ? fh : fh * frames, rng.Next());
  s.bitmap = ed.Image(s.picture, frames, horizontal);
  return s;
}
} // namespace

// Every bitmap switch draws the frame of its value over the background (clipped at the editor's
// edges), at full weight and greyed; the overlay only while on.
TEST(SwitchControls, DrawTheFrameOfTheirValueComposedOverTheBackground)
{
  Rng rng(7);
  for (int round = 0; round < 60; ++round)
  {
    ControlEditor ed(round + 100);
    const int frames = rng.Int(1, 6);
    const Strip strip = MakeStrip(ed, rng, frames, rng.Int(0, 1) == 1);
    IBitmap bm = strip.bitmap;
    const int x = rng.Int(-10, ControlEditor::kW - 5), y = rng.Int(-10, ControlEditor::kH - 5);
    const int kind = round % 4;
    ISwitchControl* pSwitch = nullptr;
    if (kind == 0) pSwitch = new ISwitchControl(&ed.plug, x, y, kGain, &bm);
    if (kind == 1) pSwitch = new IContactControl(&ed.plug, x, y, kGain, &bm);
    if (kind == 2) pSwitch = new ISwitchFramesControl(&ed.plug, x, y, kGain, &bm, rng.Int(0, 1) == 1);
    if (kind == 3) pSwitch = new IBitmapOverlayControl(&ed.plug, x, y, kGain, &bm, IRECT(x, y, x + 2, y + 2));
    const int idx = ed.gui->AttachControl(pSwitch);
    ed.Attach();
    const bool greyed = rng.Int(0, 3) == 0;
    if (greyed) pSwitch->GrayOut(true);

    const double value = rng.Int(0, 1) ? rng.Unit() : double(rng.Int(0, frames - 1)) / std::max(frames - 1, 1);
    ed.gui->SetControlFromPlug(idx, value);

    Picture expected = ed.background;
    const IRECT src = FrameRect(bm, NearestFrame(frames, value));
    if (kind != 3 || value >= 0.5)
      Compose(expected, strip.picture, src, x, y, Blend::kSourceAlpha, greyed ? 0.25f : 1.0f);
    EXPECT_TRUE(SamePixels(ed.Render(), expected))
      << "round " << round << ", kind " << kind << ", " << frames << " frames, value " << value;
  }
}

// A click (either button) or a double click steps to the next position and wraps after the last;
// each step reaches the host.
TEST(SwitchControls, ClicksStepThroughThePositionsAndWrapToZero)
{
  struct Case
  {
    int frames;
    std::vector<double> values;
  };
  const Case cases[] = {{1, {1.0, 0.0, 1.0}},
                        {2, {1.0, 0.0, 1.0}},
                        {3, {0.5, 1.0, 0.0, 0.5}},
                        {5, {0.25, 0.5, 0.75, 1.0, 0.0}}};
  for (const Case& c : cases)
  {
    ControlEditor ed;
    IBitmap bm = ed.Image(RandomPicture(10, 10 * c.frames, 3), c.frames);
    ISwitchControl* pSwitch = ed.Add(new ISwitchControl(&ed.plug, 20, 20, kGain, &bm));
    ed.Attach();
    std::vector<double> seen;
    for (size_t i = 0; i < c.values.size(); ++i)
    {
      IMouseMod mod(i % 3 != 1, i % 3 == 1);
      if (i % 3 == 2)
        ed.gui->OnMouseDblClick(25, 25, &mod);
      else
        ed.Click(25, 25, mod);
      seen.push_back(pSwitch->GetValue());
    }
    ASSERT_EQ(seen.size(), c.values.size());
    for (size_t i = 0; i < seen.size(); ++i)
      EXPECT_NEAR(seen[i], c.values[i], 1e-12) << c.frames << " frames, click " << i;
    const std::vector<double> informed = ed.Informed(kGain);
    ASSERT_EQ(informed.size(), seen.size()) << c.frames << " frames";
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(informed[i], seen[i]);
    EXPECT_NEAR(ed.plug.GetParam(kGain)->Value(), c.values.back(), 0.0005);
  }
}

// A contact is on while held: the press pushes the next position, the release 0, both inside
// the one gesture the host sees.
TEST(SwitchControls, ContactIsOnOnlyWhileHeld)
{
  ControlEditor ed;
  IBitmap bm = ed.Image(RandomPicture(8, 16, 4), 2);
  IContactControl* pContact = ed.Add(new IContactControl(&ed.plug, 30, 30, kSwitch, &bm));
  ed.Attach();
  IMouseMod left(true);
  ed.gui->OnMouseDown(32, 32, &left);
  EXPECT_EQ(pContact->GetValue(), 1.0);
  EXPECT_EQ(ed.plug.GetParam(kSwitch)->Value(), 1.0);
  ed.gui->OnMouseUp(90, 90, &left);
  EXPECT_EQ(pContact->GetValue(), 0.0);
  const std::vector<HostEvent> gesture = {{HostEvent::kBegin, kSwitch, 0.0},
                                           {HostEvent::kAutomate, kSwitch, 1.0},
                                           {HostEvent::kAutomate, kSwitch, 0.0},
                                           {HostEvent::kEnd, kSwitch, 0.0}};
  EXPECT_EQ(ed.plug.Events(), gesture);
}

// A pop-up switch shows the parameter's display texts with the current one checked; a choice
// sets the parameter to the chosen item, a cancelled menu changes nothing.
TEST(SwitchControls, PopUpSwitchSetsTheItemChosenFromTheMenu)
{
  ControlEditor ed;
  IBitmap bm = ed.Image(RandomPicture(12, 36, 5), 3);
  ISwitchPopUpControl* pSwitch = ed.Add(new ISwitchPopUpControl(&ed.plug, 40, 10, kMode, &bm));
  ed.Attach();
  ed.plug.GetParam(kMode)->Set(1.0);
  ed.gui->SetParameterFromPlug(kMode, 1.0, false);

  ed.gui->QueueAnswer(Answer::Choose(2));
  ed.gui->QueueAnswer(Answer::Cancel());
  ed.Click(45, 15);
  EXPECT_EQ(pSwitch->GetValue(), 1.0);
  EXPECT_EQ(ed.plug.GetParam(kMode)->Value(), 2.0);
  ed.Click(45, 15);
  EXPECT_EQ(ed.plug.GetParam(kMode)->Value(), 2.0);

  const std::vector<Prompt>& prompts = ed.gui->Prompts();
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0].kind, Prompt::kMenu);
  EXPECT_EQ(prompts[0].items, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(prompts[0].rect, IRECT(40, 10, 52, 22));
  const int checked = 4;
  EXPECT_EQ(prompts[0].itemFlags, (std::vector<int>{0, checked, 0}));
  EXPECT_EQ(prompts[1].itemFlags, (std::vector<int>{0, 0, checked}));
}

// The parts of a frames switch lie in order inside its rectangle without overlapping; a click
// in part i selects position i of n; a one-part switch selects 0.
TEST(SwitchControls, FramesSwitchSelectsThePartClicked)
{
  Rng rng(11);
  for (int round = 0; round < 40; ++round)
  {
    ControlEditor ed;
    const int frames = rng.Int(1, 7);
    const bool horizontal = rng.Int(0, 1) == 1;
    Strip strip = MakeStrip(ed, rng, frames, horizontal);
    ISwitchFramesControl* pSwitch =
      ed.Add(new ISwitchFramesControl(&ed.plug, 5, 5, kGain, &strip.bitmap, horizontal));
    ed.Attach();
    const IRECT r = *pSwitch->GetRECT();
    ASSERT_EQ(pSwitch->NParts(), frames);
    for (int i = 0; i < frames; ++i)
    {
      const IRECT part = *pSwitch->GetPart(i);
      EXPECT_TRUE(part.L >= r.L && part.T >= r.T && part.R <= r.R && part.B <= r.B) << "part " << i;
      if (i > 0)
      {
        const IRECT prev = *pSwitch->GetPart(i - 1);
        EXPECT_TRUE(horizontal ? part.L >= prev.R : part.T >= prev.B) << "part " << i;
      }
      if (part.W() <= 0 || part.H() <= 0) continue;
      ed.Click(rng.Int(part.L, part.R - 1), rng.Int(part.T, part.B - 1));
      EXPECT_DOUBLE_EQ(pSwitch->GetValue(), frames > 1 ? double(i) / (frames - 1) : 0.0)
        << "round " << round << ", part " << i << " of " << frames;
    }
  }
}

// While off, an overlay draws nothing and only its target area takes clicks; once drawn on, its
// whole picture does.
TEST(SwitchControls, OverlayIsClickableInItsTargetAreaUntilShown)
{
  ControlEditor ed;
  IBitmap bm = ed.Image(RandomPicture(40, 60, 6), 2);
  IBitmapOverlayControl* pOverlay =
    ed.Add(new IBitmapOverlayControl(&ed.plug, 10, 10, kSwitch, &bm, IRECT(10, 10, 20, 20)));
  ed.Attach();
  EXPECT_TRUE(SamePixels(ed.Render(), ed.background));

  ed.Click(35, 30);
  EXPECT_EQ(pOverlay->GetValue(), 0.0);
  ed.Click(15, 15);
  EXPECT_EQ(pOverlay->GetValue(), 1.0);
  ed.Render();
  ed.Click(35, 30);
  EXPECT_EQ(pOverlay->GetValue(), 0.0);
  EXPECT_EQ(ed.Informed(kSwitch), (std::vector<double>{1.0, 0.0}));
}

// An invisible switch toggles on and off and leaves the picture alone.
TEST(SwitchControls, InvisibleSwitchTogglesWithoutDrawing)
{
  ControlEditor ed;
  IInvisibleSwitchControl* pSwitch = ed.Add(new IInvisibleSwitchControl(&ed.plug, IRECT(50, 50, 70, 60), kSwitch));
  ed.Attach();
  ed.Click(55, 55);
  EXPECT_EQ(pSwitch->GetValue(), 1.0);
  EXPECT_TRUE(SamePixels(ed.Render(), ed.background));
  ed.Click(69, 59);
  EXPECT_EQ(pSwitch->GetValue(), 0.0);
  EXPECT_EQ(ed.Informed(kSwitch), (std::vector<double>{1.0, 0.0}));
}
