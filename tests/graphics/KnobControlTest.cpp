#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IKnobControl.h"
#include "plugin/IParam.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_line.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;

namespace
{
constexpr double kPi = 3.14159265358979323846;

// What a drag leaves: each event moves the value by its share of the travel and clamps it.
double Dragged(double v, int delta, int extent, double gearing)
{
  return std::min(1.0, std::max(0.0, v + double(delta) / extent / gearing));
}
} // namespace

// A filmstrip knob shows frame int(30 x value + 0.5) + 1 of 31 (for example frame 16 at 0.49),
// composed over the background, from vertical and horizontal strips, at full weight and greyed.
TEST(KnobControls, FilmstripKnobDrawsTheFrameNearestItsValue)
{
  struct Case
  {
    double value;
    int frame;
    bool horizontal;
    bool greyed;
  };
  const Case cases[] = {{0.0, 1, false, false},  {0.49, 16, false, false}, {0.5, 16, true, false},
                        {0.516, 16, false, true}, {0.517, 17, true, true},  {1.0, 31, false, false},
                        {0.9999, 31, true, false}, {0.0167, 2, false, false}, {0.0166, 1, true, false}};
  for (const Case& c : cases)
  {
    ControlEditor ed(3);
    const Picture strip = RandomPicture(c.horizontal ? 31 * 14 : 14, c.horizontal ? 12 : 31 * 12, 99);
    IBitmap bm = ed.Image(strip, 31, c.horizontal);
    IKnobMultiControl* pKnob = ed.Add(new IKnobMultiControl(&ed.plug, 50, 40, kGain, &bm));
    ed.Attach();
    EXPECT_EQ(*pKnob->GetRECT(), IRECT(50, 40, 64, 52));
    if (c.greyed) pKnob->GrayOut(true);
    ed.gui->SetParameterFromPlug(kGain, c.value, true);

    Picture expected = ed.background;
    const IRECT src = c.horizontal ? IRECT((c.frame - 1) * 14, 0, c.frame * 14, 12)
                                   : IRECT(0, (c.frame - 1) * 12, 14, c.frame * 12);
    Compose(expected, strip, src, 50, 40, Blend::kSourceAlpha, c.greyed ? 0.25f : 1.0f);
    EXPECT_TRUE(SamePixels(ed.Render(), expected)) << "value " << c.value;
  }
}

// A vertical knob 50 pixels high with gearing 4 goes from 0 to 1 over 200 pixels up and no
// further; Shift or Control gear it ten times down. Random drags in both directions, with and
// without the modifiers, follow the relative rule step by step for vertical and horizontal knobs.
TEST(KnobControls, DragsMoveTheValueByTheGearedShareOfTheTravel)
{
  {
    ControlEditor ed;
    IBitmap bm = ed.Image(RandomPicture(30, 50 * 3, 2), 3);
    IKnobMultiControl* pKnob = ed.Add(new IKnobMultiControl(&ed.plug, 10, 10, kGain, &bm));
    ed.Attach();
    IMouseMod left(true), shift(true, false, true);
    ed.gui->OnMouseDown(20, 30, &left);
    for (int y = 29; y >= -170; --y) ed.gui->OnMouseDrag(20, y, &left);
    EXPECT_NEAR(pKnob->GetValue(), 1.0, 1e-9);
    ed.gui->OnMouseDrag(20, -400, &left);
    EXPECT_EQ(pKnob->GetValue(), 1.0);
    ed.gui->OnMouseUp(20, -400, &left);

    ed.gui->OnMouseDown(20, 30, &shift);
    for (int y = 30 + 10; y <= 30 + 1000; y += 10) ed.gui->OnMouseDrag(20, y, &shift);
    EXPECT_NEAR(pKnob->GetValue(), 0.5, 1e-9);
    ed.gui->OnMouseUp(20, 1030, &shift);
    EXPECT_NEAR(ed.plug.GetParam(kGain)->Value(), 0.5, 0.0005);
  }

  Rng rng(5);
  for (int round = 0; round < 20; ++round)
  {
    ControlEditor ed;
    const EDirection dir = round % 2 ? kHorizontal : kVertical;
    const double gearing = 0.5 + 8.0 * rng.Unit();
    const IRECT r(20, 20, 20 + rng.Int(5, 60), 20 + rng.Int(5, 60));
    IKnobLineControl* pKnob = ed.Add(new IKnobLineControl(&ed.plug, r, kGain, &COLOR_WHITE, 0, 0, -2, 2, dir, gearing));
    ed.Attach();
    IMouseMod left(true);
    ed.gui->OnMouseDown(r.L, r.T, &left);
    int x = r.L, y = r.T;
    double expected = 0.0;
    for (int step = 0; step < 200; ++step)
    {
      IMouseMod mod(true, false, rng.Int(0, 3) == 0, rng.Int(0, 3) == 0);
      const int nx = x + rng.Int(-12, 12), ny = y + rng.Int(-12, 12);
      ed.gui->OnMouseDrag(nx, ny, &mod);
      const double g = (mod.S || mod.C) ? gearing * 10 : gearing;
      expected = dir == kVertical ? Dragged(expected, y - ny, r.H(), g) : Dragged(expected, nx - x, r.W(), g);
      x = nx;
      y = ny;
      ASSERT_NEAR(pKnob->GetValue(), expected, 1e-9) << "round " << round << ", step " << step;
    }
    ed.gui->OnMouseUp(x, y, &left);
    EXPECT_NEAR(ed.Informed(kGain).back(), expected, 1e-9);
  }
}

// One wheel notch is 0.01, or 0.001 with Shift or Control; the value stays within 0..1.
// A double click restores the first value the plug-in sent.
TEST(KnobControls, WheelStepsAndDoubleClickRestoresTheDefault)
{
  ControlEditor ed;
  IBitmap bm = ed.Image(RandomPicture(20, 20 * 11, 8), 11);
  IKnobMultiControl* pKnob = ed.Add(new IKnobMultiControl(&ed.plug, 30, 30, kGain, &bm, kHorizontal, 2.0));
  ed.plug.GetParam(kGain)->Set(0.3);
  ed.Attach();
  IMouseMod none, shift(false, false, true), control(false, false, false, true);
  ed.gui->OnMouseWheel(35, 35, &none, 1);
  EXPECT_NEAR(pKnob->GetValue(), 0.31, 1e-12);
  ed.gui->OnMouseWheel(35, 35, &shift, -3);
  EXPECT_NEAR(pKnob->GetValue(), 0.307, 1e-12);
  ed.gui->OnMouseWheel(35, 35, &control, 2);
  EXPECT_NEAR(pKnob->GetValue(), 0.309, 1e-12);
  ed.gui->OnMouseWheel(35, 35, &none, -100);
  EXPECT_EQ(pKnob->GetValue(), 0.0);
  ed.gui->OnMouseDblClick(35, 35, &none);
  EXPECT_NEAR(pKnob->GetValue(), 0.3, 1e-12);
  EXPECT_NEAR(ed.Informed(kGain).back(), 0.3, 1e-12);
}

// A line knob draws an antialiased line from the inner to the outer radius (half the width when
// none is given) along its angle from the rectangle's centre, 0 up and clockwise.
TEST(KnobControls, LineKnobDrawsTheRadiusForItsAngle)
{
  struct Case
  {
    IRECT r;
    float inner, outer;
    double value;
  };
  const Case cases[] = {{IRECT(20, 20, 60, 60), 5, 0, 0.5},
                        {IRECT(20, 20, 61, 50), 0, 14, 0.0},
                        {IRECT(30, 10, 90, 70), 10, 28, 0.8},
                        {IRECT(30, 10, 90, 70), 3, 25, 0.33}};
  for (const Case& c : cases)
  {
    ControlEditor ed(9);
    const IColor colour(255, 250, 200, 10);
    ed.Add(new IKnobLineControl(&ed.plug, c.r, kGain, &colour, c.inner, c.outer, -0.75 * kPi, 0.75 * kPi));
    ed.Attach();
    ed.gui->SetParameterFromPlug(kGain, c.value, true);

    const double angle = -0.75 * kPi + c.value * 1.5 * kPi;
    const double outer = c.outer ? c.outer : c.r.W() / 2.0;
    const double cx = (c.r.L + c.r.R) / 2.0, cy = (c.r.T + c.r.B) / 2.0;
    std::unique_ptr<LICE_MemBitmap> expected = MakeBitmap(ed.background);
    LICE_Line(expected.get(), int(cx + c.inner * std::sin(angle)), int(cy - c.inner * std::cos(angle)),
              int(cx + outer * std::sin(angle)), int(cy - outer * std::cos(angle)), colour.Packed(), 1.0f, 0, true);
    EXPECT_TRUE(SamePixels(ed.Render(), PictureOf(expected.get()))) << "value " << c.value;
  }
}

// A rotater covers its image's size and, at the angle 0 without a zero-degree offset, shows the
// image as it is; at other angles it is the image turned by the rasteriser about the rectangle's
// centre with the offset.
TEST(KnobControls, RotaterTurnsItsImageAboutItsCentre)
{
  const double values[] = {0.5, 1.0, 0.2};
  for (double value : values)
  {
    ControlEditor ed(12);
    const Picture image = RandomPicture(21, 16, 13);
    IBitmap bm = ed.Image(image);
    const int yOffset = value == 0.5 ? 0 : 3;
    IKnobRotaterControl* pKnob = ed.Add(new IKnobRotaterControl(&ed.plug, 40, 30, kGain, &bm, -kPi, kPi, yOffset));
    ed.Attach();
    EXPECT_EQ(*pKnob->GetRECT(), IRECT(40, 30, 61, 46));
    ed.gui->SetParameterFromPlug(kGain, value, true);

    Picture expected = ed.background;
    if (value == 0.5)
    {
      Compose(expected, image, IRECT(0, 0, image.w, image.h), 40, 30, Blend::kSourceAlpha);
    }
    else
    {
      std::unique_ptr<LICE_MemBitmap> into = MakeBitmap(expected), source = MakeBitmap(image);
      LICE_RotatedBlit(into.get(), source.get(), 40, 30, 21, 16, 0, 0, 21, 16, float(-kPi + value * 2 * kPi), false,
                       1.0f, 0x10100, 0.0f, float(yOffset));
      expected = PictureOf(into.get());
    }
    EXPECT_TRUE(SamePixels(ed.Render(), expected)) << "value " << value;
  }
}

// A rotating-mask knob at the angle 0 composes, over the base's colours made transparent, the
// mask added and the top copied by their alpha, and shows the result over the background; its
// angles are degrees.
TEST(KnobControls, RotatingMaskKnobComposesItsThreeImages)
{
  ControlEditor ed(14);
  const Picture base = RandomPicture(18, 18, 15), mask = RandomPicture(18, 18, 16), top = RandomPicture(18, 18, 17);
  IBitmap bmBase = ed.Image(base), bmMask = ed.Image(mask), bmTop = ed.Image(top);
  ed.Add(new IKnobRotatingMaskControl(&ed.plug, 25, 35, kGain, &bmBase, &bmMask, &bmTop, -90.0, 90.0));
  ed.Attach();
  ed.gui->SetParameterFromPlug(kGain, 0.5, true);

  Picture knob = base;
  for (uint32_t& p : knob.px) p &= 0x00FFFFFFu;
  Compose(knob, mask, IRECT(0, 0, 18, 18), 0, 0, Blend::kAddAlpha);
  Compose(knob, top, IRECT(0, 0, 18, 18), 0, 0, Blend::kSourceAlpha);
  Picture expected = ed.background;
  Compose(expected, knob, IRECT(0, 0, 18, 18), 25, 35, Blend::kSourceAlpha);
  EXPECT_TRUE(SamePixels(ed.Render(), expected));

  // At the value 1 the knob is the editor's rotated mask at 90 degrees, at the knob's corner.
  ed.gui->SetParameterFromPlug(kGain, 1.0, true);
  const Picture turned = ed.Render();
  ControlEditor direct(14);
  direct.Attach();
  direct.Render();
  direct.gui->DrawRotatedMask(&bmBase, &bmMask, &bmTop, 25, 35, 90.0);
  EXPECT_TRUE(SamePixels(turned, PictureOf(direct.gui->GetDrawBitmap())));
  EXPECT_FALSE(SamePixels(turned, expected));
}
