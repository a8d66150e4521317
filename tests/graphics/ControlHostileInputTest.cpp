#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "graphics/IBitmapTextControl.h"
#include "graphics/IFaderControl.h"
#include "graphics/IFileSelectorControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IKnobControl.h"
#include "graphics/IRadioButtonsControl.h"
#include "graphics/ISwitchControl.h"
#include "graphics/ITextControl.h"
#include "graphics/IURLControl.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;

namespace
{
// Every control of the family, made from whatever it is given.
using MakeControl = std::function<IControl*(IPlugBase*, IRECT, int, IBitmap*, Rng&)>;

const std::vector<MakeControl>& AllControls()
{
  static const std::vector<MakeControl> makers = {
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) { return new ISwitchControl(p, r.L, r.T, i, b); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) { return new ISwitchPopUpControl(p, r.L, r.T, i, b); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng& g) {
      return new ISwitchFramesControl(p, r.L, r.T, i, b, g.Int(0, 1));
    },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) { return new IContactControl(p, r.L, r.T, i, b); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) { return new IBitmapOverlayControl(p, r.L, r.T, i, b, r); },
    [](IPlugBase* p, IRECT r, int i, IBitmap*, Rng&) { return new IInvisibleSwitchControl(p, r, i); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng& g) {
      return new IRadioButtonsControl(p, r, i, g.Int(-2, 6), b, g.Int(0, 1) ? kHorizontal : kVertical, g.Int(0, 1));
    },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng& g) {
      return new IFaderControl(p, r.L, r.T, g.Int(-20, 80), i, b, g.Int(0, 1) ? kHorizontal : kVertical, g.Int(0, 1));
    },
    [](IPlugBase* p, IRECT r, int i, IBitmap*, Rng& g) {
      const double gearings[] = {0.0, -1.0, 1e-300, std::numeric_limits<double>::quiet_NaN(), 4.0};
      return new IKnobLineControl(p, r, i, &COLOR_RED, g.Int(-5, 5), g.Int(0, 50), -2.0, 2.0,
                                  g.Int(0, 1) ? kHorizontal : kVertical, gearings[g.Int(0, 4)]);
    },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) { return new IKnobRotaterControl(p, r.L, r.T, i, b); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) { return new IKnobMultiControl(p, r.L, r.T, i, b); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) {
      return new IKnobRotatingMaskControl(p, r.L, r.T, i, b, b, b);
    },
    [](IPlugBase* p, IRECT r, int, IBitmap*, Rng&) { return new ITextControl(p, r, nullptr, "text"); },
    [](IPlugBase* p, IRECT r, int i, IBitmap*, Rng&) { return new ICaptionControl(p, r, i, nullptr); },
    [](IPlugBase* p, IRECT r, int, IBitmap*, Rng&) { return new IURLControl(p, r, nullptr, "x", nullptr); },
    [](IPlugBase* p, IRECT r, int i, IBitmap* b, Rng&) {
      return new IFileSelectorControl(p, r, i, b, kFileOpen, nullptr, nullptr);
    },
    [](IPlugBase* p, IRECT r, int, IBitmap* b, Rng& g) {
      return new IBitmapTextControl(p, r, b, "\x01 Az\x7f\xff", nullptr, g.Int(-3, 8), g.Int(-3, 8), g.Int(-9, 9),
                                    g.Int(0, 1), g.Int(0, 1));
    },
  };
  return makers;
}
} // namespace

// Every control survives images that failed to load or have no usable frames, empty and inverted
// rectangles, missing or unknown parameters, gearings of 0 or not a number, values from the
// plug-in outside 0..1 or not numbers, and random presses, drags, wheels and prompts: whatever
// reaches the host is a number in 0..1.
TEST(ControlFamily, SurvivesHostileImagesGeometryValuesAndInput)
{
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double plugValues[] = {nan, inf, -inf, 1e300, -7.0, 0.5, 1.0, 0.0};
  Rng rng(51);
  for (int round = 0; round < 120; ++round)
  {
    ControlEditor ed(round);
    const Picture image = RandomPicture(rng.Int(1, 12), rng.Int(1, 12), rng.Next());
    IBitmap bitmaps[] = {IBitmap(), IBitmap(nullptr, 10, 10, 0), ed.Image(image, rng.Int(-3, 40), rng.Int(0, 1)),
                         ed.Image(image, 1)};
    for (size_t k = 0; k < AllControls().size(); ++k)
    {
      IBitmap* pBitmap = &bitmaps[rng.Int(0, 3)];
      const int l = rng.Int(-30, 130), t = rng.Int(-30, 110);
      const IRECT r(l, t, l + rng.Int(-10, 60), t + rng.Int(-10, 60));
      const int paramIdx = rng.Int(-1, editor_test::kNumTestParams);
      ed.gui->AttachControl(AllControls()[k](&ed.plug, r, paramIdx == editor_test::kNumTestParams ? 99 : paramIdx,
                                             pBitmap, rng));
    }
    ed.Attach();
    for (int event = 0; event < 60; ++event)
    {
      IMouseMod mod(rng.Int(0, 1), rng.Int(0, 1), rng.Int(0, 1), rng.Int(0, 1), rng.Int(0, 1));
      const int x = rng.Int(-20, 140), y = rng.Int(-20, 120);
      switch (rng.Int(0, 6))
      {
      case 0: ed.gui->OnMouseDown(x, y, &mod); break;
      case 1: ed.gui->OnMouseUp(x, y, &mod); break;
      case 2: ed.gui->OnMouseDrag(x, y, &mod); break;
      case 3: ed.gui->OnMouseDblClick(x, y, &mod); break;
      case 4: ed.gui->OnMouseWheel(x, y, &mod, rng.Int(-1000, 1000)); break;
      case 5: ed.gui->SetControlFromPlug(rng.Int(0, ed.gui->GetNControls()), plugValues[rng.Int(0, 7)]); break;
      default: ed.gui->QueueAnswer(rng.Int(0, 1) ? IGraphicsHeadless::Answer::Choose(rng.Int(-1, 3))
                                                 : IGraphicsHeadless::Answer::Text("1e999"));
      }
      if (event % 10 == 9) ed.Render();
    }
    ed.Render();
    for (const HostEvent& e : ed.plug.Events())
    {
      if (e.kind != HostEvent::kAutomate) continue;
      ASSERT_TRUE(e.value >= 0.0 && e.value <= 1.0) << "round " << round << ": " << e.value << " for " << e.paramIdx;
    }
  }
}

// Controls called directly, without an editor and without modifier records, do nothing unsafe.
TEST(ControlFamily, WorksWithoutAnEditorOrModifiers)
{
  editor_test::EditorTestPlug plug;
  Rng rng(52);
  IBitmap none;
  for (const MakeControl& make : AllControls())
  {
    std::unique_ptr<IControl> pControl(make(&plug, IRECT(0, 0, 20, 20), kMode, &none, rng));
    pControl->OnMouseDown(5, 5, nullptr);
    pControl->OnMouseDrag(5, 9, 0, 4, nullptr);
    pControl->OnMouseWheel(5, 5, nullptr, 3);
    pControl->OnMouseUp(5, 5, nullptr);
    pControl->OnMouseDblClick(5, 5, nullptr);
    EXPECT_TRUE(pControl->GetValue() >= 0.0 && pControl->GetValue() <= 1.0);
  }
}
