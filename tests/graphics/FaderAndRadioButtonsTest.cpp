#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/IFaderControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IRadioButtonsControl.h"
#include "plugin/IParam.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;
using Answer = IGraphicsHeadless::Answer;
using Prompt = IGraphicsHeadless::Prompt;

// The handle of a fader 70 pixels long with a 10-pixel handle sits at the top (or right) end for
// 1, at the other end for 0, and travels 60 pixels in between; it is composed over the background.
TEST(FaderControl, DrawsItsHandleAlongTheTravel)
{
  struct Case
  {
    EDirection dir;
    double value;
    int offset; // of the handle from the track's start, worked by hand
  };
  const Case cases[] = {{kVertical, 1.0, 0},   {kVertical, 0.0, 60},   {kVertical, 0.5, 30},
                        {kVertical, 0.26, 44}, {kHorizontal, 0.0, 0},  {kHorizontal, 1.0, 60},
                        {kHorizontal, 0.26, 15}, {kHorizontal, 0.999, 59}};
  for (const Case& c : cases)
  {
    ControlEditor ed(21);
    const Picture handle = RandomPicture(c.dir == kVertical ? 14 : 10, c.dir == kVertical ? 10 : 14, 22);
    IBitmap bm = ed.Image(handle);
    IFaderControl* pFader = ed.Add(new IFaderControl(&ed.plug, 30, 12, 70, kGain, &bm, c.dir));
    ed.Attach();
    EXPECT_EQ(*pFader->GetRECT(), c.dir == kVertical ? IRECT(30, 12, 44, 82) : IRECT(30, 12, 100, 26));
    ed.gui->SetParameterFromPlug(kGain, c.value, true);
    Picture expected = ed.background;
    const int x = c.dir == kHorizontal ? 30 + c.offset : 30, y = c.dir == kVertical ? 12 + c.offset : 12;
    Compose(expected, handle, IRECT(0, 0, handle.w, handle.h), x, y, Blend::kSourceAlpha);
    EXPECT_TRUE(SamePixels(ed.Render(), expected)) << "value " << c.value;
  }
}

// A press or a drag anywhere on the track puts the handle's centre under the mouse (within the
// travel; beyond it the handle stops at the end); the wheel steps like a knob's.
TEST(FaderControl, PressAndDragPutTheHandleUnderTheMouse)
{
  for (EDirection dir : {kVertical, kHorizontal})
  {
    ControlEditor ed;
    IBitmap bm = ed.Image(RandomPicture(dir == kVertical ? 12 : 9, dir == kVertical ? 9 : 12, 23));
    IFaderControl* pFader = ed.Add(new IFaderControl(&ed.plug, 20, 10, 80, kGain, &bm, dir));
    ed.Attach();
    const IRECT track = *pFader->GetRECT();
    IMouseMod left(true);
    for (int along = 0; along < 80; ++along)
    {
      const int x = dir == kVertical ? 25 : track.L + along, y = dir == kVertical ? track.T + along : 15;
      if (along % 2)
        ed.Click(x, y);
      else
      {
        ed.gui->OnMouseDown(track.L, track.T, &left);
        ed.gui->OnMouseDrag(x, y, &left);
        ed.gui->OnMouseUp(x, y, &left);
      }
      const IRECT handle = pFader->GetHandleRECT();
      const int centre = dir == kVertical ? (handle.T + handle.B) / 2 : (handle.L + handle.R) / 2;
      const int wanted = std::min(std::max(along, 4), 80 - 5);
      EXPECT_LE(std::abs(centre - (dir == kVertical ? track.T : track.L) - wanted), 1) << "at " << along;
      EXPECT_TRUE(pFader->GetValue() >= 0.0 && pFader->GetValue() <= 1.0);
    }
    const double before = pFader->GetValue();
    IMouseMod shift(false, false, true);
    ed.gui->OnMouseWheel(25, 15, &shift, dir == kVertical ? 2 : -2);
    EXPECT_NEAR(pFader->GetValue(), before + (dir == kVertical ? 0.002 : -0.002), 1e-12);
  }
}

// An only-handle fader is grabbed by its handle alone; a right click prompts once prompts are
// enabled, and the typed value lands on the parameter.
TEST(FaderControl, OnlyHandleFaderIgnoresTheTrackAndRightClickPrompts)
{
  ControlEditor ed;
  IBitmap bm = ed.Image(RandomPicture(10, 10, 24));
  IFaderControl* pFader = ed.Add(new IFaderControl(&ed.plug, 40, 10, 60, kSteps, &bm, kVertical, true));
  ed.Attach();
  EXPECT_DOUBLE_EQ(pFader->GetValue(), 0.3);
  ed.Click(45, 12);
  EXPECT_DOUBLE_EQ(pFader->GetValue(), 0.3);
  ed.Click(45, 47);
  EXPECT_NEAR(pFader->GetValue(), 1.0 - (47 - 10 - 5) / 50.0, 1e-12);
  EXPECT_EQ(ed.plug.GetParam(kSteps)->Value(), 4.0);

  IMouseMod right(false, true);
  ed.Click(45, 47, right);
  EXPECT_TRUE(ed.gui->Prompts().empty());
  pFader->DisablePrompt(false);
  ed.gui->QueueAnswer(Answer::Text("6"));
  ed.Click(45, 47, right);
  ASSERT_EQ(ed.gui->Prompts().size(), 1u);
  EXPECT_EQ(ed.gui->Prompts()[0].kind, Prompt::kTextEntry);
  EXPECT_EQ(ed.gui->Prompts()[0].text, "4");
  EXPECT_EQ(ed.gui->Prompts()[0].rect, IRECT(25, 32, 65, 48));
  EXPECT_EQ(ed.plug.GetParam(kSteps)->Value(), 6.0);
  EXPECT_DOUBLE_EQ(pFader->GetValue(), 0.6);
}

// Buttons spread from the near edge over the rectangle in equal steps (3 buttons 20 high in 100
// rows: at 0, 40 and 80; 4 buttons 8 wide in 50 columns: at 0, 14, 28, 42); reversed layouts are
// the mirror image. Random layouts keep the buttons inside, apart and in order.
TEST(RadioButtonsControl, ButtonsSpreadEvenlyFromTheNearEdgeOrMirrored)
{
  ControlEditor ed;
  IBitmap tall = ed.Image(RandomPicture(15, 40, 25), 2), wide = ed.Image(RandomPicture(8, 20, 26), 2);
  IRadioButtonsControl vertical(&ed.plug, IRECT(10, 0, 40, 100), kMode, 3, &tall);
  IRadioButtonsControl horizontal(&ed.plug, IRECT(0, 5, 50, 30), kSteps, 4, &wide, kHorizontal);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(*vertical.GetButton(i), IRECT(10, 40 * i, 25, 40 * i + 20));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(*horizontal.GetButton(i), IRECT(14 * i, 5, 14 * i + 8, 15));

  Rng rng(27);
  for (int round = 0; round < 200; ++round)
  {
    const int n = rng.Int(1, 7), fw = rng.Int(1, 20), fh = rng.Int(1, 20);
    const EDirection dir = rng.Int(0, 1) ? kHorizontal : kVertical;
    const IRECT r(rng.Int(-5, 50), rng.Int(-5, 50), 0, 0);
    const IRECT rect(r.L, r.T, r.L + fw + (dir == kHorizontal ? n * fw + rng.Int(0, 90) : 0),
                     r.T + fh + (dir == kVertical ? n * fh + rng.Int(0, 90) : 0));
    IBitmap bm(nullptr, fw, fh * 2, 2);
    IRadioButtonsControl forward(&ed.plug, rect, kGain, n, &bm, dir);
    IRadioButtonsControl reversed(&ed.plug, rect, kGain, n, &bm, dir, true);
    ASSERT_EQ(forward.NButtons(), n);
    const IRECT first = *forward.GetButton(0);
    EXPECT_EQ(first.L, rect.L);
    EXPECT_EQ(first.T, rect.T);
    for (int i = 0; i < n; ++i)
    {
      const IRECT b = *forward.GetButton(i), m = *reversed.GetButton(i);
      EXPECT_EQ(b.W(), fw);
      EXPECT_EQ(b.H(), fh);
      EXPECT_TRUE(b.L >= rect.L && b.T >= rect.T && b.R <= rect.R && b.B <= rect.B) << "round " << round;
      const IRECT mirror = dir == kVertical ? IRECT(b.L, rect.T + rect.B - b.B, b.R, rect.T + rect.B - b.T)
                                            : IRECT(rect.L + rect.R - b.R, b.T, rect.L + rect.R - b.L, b.B);
      EXPECT_EQ(m, mirror) << "round " << round << ", button " << i;
      if (i < 1) continue;
      const IRECT prev = *forward.GetButton(i - 1), prevPrev = i > 1 ? *forward.GetButton(i - 2) : prev;
      EXPECT_TRUE(dir == kVertical ? b.T >= prev.B : b.L >= prev.R) << "round " << round;
      if (i > 1)
      {
        EXPECT_EQ(dir == kVertical ? b.T - prev.T : b.L - prev.L,
                  dir == kVertical ? prev.T - prevPrev.T : prev.L - prevPrev.L);
      }
    }
  }
}

// A click on button i sets i / (n - 1) (0 for a lone button, which is always on); the button of
// the value is drawn with frame 2, the others with frame 1; a right click offers the parameter's texts once prompts
// are enabled.
TEST(RadioButtonsControl, ClickSelectsAButtonAndOnlyThatOneIsDrawnOn)
{
  ControlEditor ed(28);
  const Picture strip = RandomPicture(12, 2 * 10, 29);
  IBitmap bm = ed.Image(strip, 2);
  IRadioButtonsControl* pRadio =
    ed.Add(new IRadioButtonsControl(&ed.plug, IRECT(20, 10, 80, 20), kMode, 3, &bm, kHorizontal));
  IRadioButtonsControl* pLone = ed.Add(new IRadioButtonsControl(&ed.plug, IRECT(20, 50, 40, 60), kGain, 1, &bm));
  ed.Attach();
  const int lefts[] = {20, 44, 68};
  for (int pick : {2, 0, 1})
  {
    ed.Click(lefts[pick] + 5, 15);
    EXPECT_DOUBLE_EQ(pRadio->GetValue(), pick / 2.0);
    EXPECT_EQ(ed.plug.GetParam(kMode)->Value(), pick);
    Picture expected = ed.background;
    for (int i = 0; i < 3; ++i)
    {
      const IRECT frame = i == pick ? IRECT(0, 10, 12, 20) : IRECT(0, 0, 12, 10);
      Compose(expected, strip, frame, lefts[i], 10, Blend::kSourceAlpha);
    }
    Compose(expected, strip, IRECT(0, 10, 12, 20), 20, 50, Blend::kSourceAlpha);
    EXPECT_TRUE(SamePixels(ed.Render(), expected)) << "button " << pick;
  }
  ed.Click(25, 55);
  EXPECT_EQ(pLone->GetValue(), 0.0);

  pRadio->DisablePrompt(false);
  ed.gui->QueueAnswer(Answer::Choose(2));
  ed.Click(30, 15, IMouseMod(false, true));
  ASSERT_EQ(ed.gui->Prompts().size(), 1u);
  EXPECT_EQ(ed.gui->Prompts()[0].items, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(ed.gui->Prompts()[0].itemFlags, (std::vector<int>{0, 4, 0}));
  EXPECT_EQ(pRadio->GetValue(), 1.0);
}
