// The dirty test and both redraw algorithms: which controls are drawn, in which order, which are
// cleaned, what the one-more-pass redraw flag does, and exactly which rectangles reach the screen;
// and what Resize keeps.

#include <gtest/gtest.h>

#include "rasterizer/lice_bitmap.h"
#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

using Log = std::vector<std::string>;

class Redraw : public EditorTest
{
protected:
  // Probes a (param kGain) over b (no param), both over a background probe c; all log their draws.
  Redraw()
  {
    back = AddNamed("back", IRECT(0, 0, kWidth, kHeight));
    a = AddNamed("a", IRECT(10, 10, 40, 30), kGain);
    b = AddNamed("b", IRECT(30, 20, 60, 50));
    far = AddNamed("far", IRECT(80, 60, 100, 80));
    editor->SetParameterFromPlug(kGain, 0.5, true);
  }

  ProbeControl* AddNamed(const char* name, IRECT r, int paramIdx = -1)
  {
    ProbeControl* pProbe = AddProbe(r, paramIdx);
    pProbe->name = name;
    pProbe->drawLog = &log;
    return pProbe;
  }

  // One timer tick; returns the draws it made.
  Log Tick()
  {
    log.clear();
    editor->Tick();
    return log;
  }

  std::vector<IRECT> Painted()
  {
    std::vector<IRECT> painted = editor->PaintedRects();
    editor->ClearPaintedRects();
    return painted;
  }

  Log log;
  ProbeControl *back, *a, *b, *far;
};

TEST_F(Redraw, WithoutControlsNothingReachesTheScreen)
{
  EditorTestPlug emptyPlug;
  IGraphicsHeadless* pEmpty = new IGraphicsHeadless(&emptyPlug, 50, 50);
  emptyPlug.AttachGraphics(pEmpty);
  IRECT all(0, 0, 50, 50);
  EXPECT_TRUE(pEmpty->Draw(&all));
  EXPECT_TRUE(pEmpty->PaintedRects().empty());
  EXPECT_EQ(pEmpty->GetFrame(), nullptr);
  IRECT dirty;
  EXPECT_FALSE(pEmpty->IsDirty(&dirty));
  EXPECT_TRUE(dirty.Empty());
}

TEST_F(Redraw, FreshControlsAreAllDrawnOnceInListOrderThenTheEditorIsClean)
{
  IRECT dirty;
  EXPECT_TRUE(editor->IsDirty(&dirty));
  EXPECT_EQ(dirty, IRECT(0, 0, kWidth, kHeight));
  EXPECT_EQ(Tick(), (Log{"back", "a", "b", "far"}));
  EXPECT_EQ(Painted(), (std::vector<IRECT>{IRECT(0, 0, kWidth, kHeight)}));
  EXPECT_EQ(Tick(), Log{});
  EXPECT_TRUE(Painted().empty());
}

TEST_F(Redraw, StrictModeDrawsEverythingUnderTheDirtyAreaAndAValueChangeTakesTwoPasses)
{
  Tick();
  Painted();
  // A value from the plug-in: drawn now and once more (the redraw flag).
  editor->SetParameterFromPlug(kGain, 0.7, true);
  EXPECT_EQ(Tick(), (Log{"back", "a", "b"}));
  EXPECT_EQ(Tick(), (Log{"back", "a", "b"}));
  EXPECT_EQ(Tick(), Log{});
  EXPECT_EQ(Painted(), (std::vector<IRECT>{IRECT(10, 10, 40, 30), IRECT(10, 10, 40, 30)}));

  // Marked dirty without a value change: one pass.
  b->SetDirty(false);
  far->SetDirty(false);
  EXPECT_EQ(Tick(), (Log{"back", "a", "b", "far"}));
  EXPECT_EQ(Painted(), (std::vector<IRECT>{IRECT(30, 20, 100, 80)}));
  EXPECT_EQ(Tick(), Log{});
  // The same value again changes nothing.
  editor->SetParameterFromPlug(kGain, 0.7, true);
  EXPECT_EQ(Tick(), Log{});
}

TEST_F(Redraw, StrictModeCleansHiddenControlsWithoutDrawingThem)
{
  Tick();
  editor->HideControl(kGain, true);
  EXPECT_TRUE(a->IsDirty());
  EXPECT_EQ(Tick(), (Log{"back", "b"}));
  // Hiding also asks for one more pass.
  EXPECT_TRUE(a->IsDirty());
  EXPECT_EQ(Tick(), (Log{"back", "b"}));
  EXPECT_FALSE(a->IsDirty());
  EXPECT_EQ(Tick(), Log{});
  editor->HideControl(kGain, false);
  EXPECT_EQ(Tick(), (Log{"back", "a", "b"}));
}

TEST_F(Redraw, NonStrictModeRedrawsEachDirtyControlWithWhatOverlapsIt)
{
  editor->SetStrictDrawing(false);
  // Everything dirty, background first: one pass draws and cleans every visible control.
  far->Hide(true);
  EXPECT_EQ(Tick(), (Log{"back", "a", "b"}));
  EXPECT_EQ(Painted(), (std::vector<IRECT>{IRECT(0, 0, kWidth, kHeight)}));
  // Hidden controls stay dirty through the background pass; alone, the hidden one is cleaned with
  // only the background drawn over it.
  EXPECT_TRUE(far->IsDirty());
  EXPECT_FALSE(a->IsDirty());
  EXPECT_EQ(Tick(), (Log{"back"}));
  // Hiding asked for one more pass.
  EXPECT_EQ(Tick(), (Log{"back"}));
  EXPECT_FALSE(far->IsDirty());
  Painted();

  // One dirty control: it and every visible control overlapping it, in list order; only it is
  // cleaned.
  b->SetDirty(false);
  EXPECT_EQ(Tick(), (Log{"back", "a", "b"}));
  EXPECT_EQ(Painted(), (std::vector<IRECT>{IRECT(30, 20, 60, 50)}));
  EXPECT_FALSE(b->IsDirty());

  // Two dirty controls: two passes within one draw, each over its own rectangle.
  a->SetDirty(false);
  far->Hide(false);
  far->SetClean();
  far->SetDirty(false);
  EXPECT_EQ(Tick(), (Log{"back", "a", "b", "back", "far"}));
  // a overlaps b: b was drawn in a's pass but keeps its own state (clean here).
  EXPECT_FALSE(b->IsDirty());
  EXPECT_EQ(Painted(), (std::vector<IRECT>{IRECT(10, 10, 100, 80)}));

  // Switching back to strict marks every control dirty.
  editor->SetStrictDrawing(true);
  EXPECT_TRUE(back->IsDirty() && a->IsDirty() && b->IsDirty() && far->IsDirty());
}

TEST_F(Redraw, ABackgroundAttachedLastIsStillDrawnFirst)
{
  back->draw = [](IGraphics* pGraphics, IControl*) { pGraphics->ForcePixel(&COLOR_RED, 0, 0); };
  const IColor grey = COLOR_GRAY;
  editor->AttachPanelBackground(&grey);
  EXPECT_NE(editor->GetControl(0), back);
  EXPECT_EQ(editor->GetControl(1), back);
  Tick();
  // The panel went first: the probe's pixel lies on top of it.
  EXPECT_EQ(PictureOf(editor->GetFrame()).at(0, 0), COLOR_RED.Packed());
  EXPECT_EQ(PictureOf(editor->GetFrame()).at(1, 1), COLOR_GRAY.Packed());
}

TEST_F(Redraw, ResizeToTheSameSizeKeepsTheControlsAndAnotherSizeStartsAfresh)
{
  editor->OnMouseDown(15, 15, nullptr);
  editor->Resize(kWidth, kHeight);
  EXPECT_EQ(editor->GetNControls(), 4);
  EXPECT_EQ(editor->GetMouseCapture(), 1);
  EXPECT_TRUE(plug.resizes.empty());

  editor->Resize(70, 40);
  EXPECT_EQ(editor->GetNControls(), 0);
  EXPECT_EQ(editor->GetMouseCapture(), -1);
  EXPECT_EQ(plug.resizes, (std::vector<std::pair<int, int>>{{70, 40}}));
  EXPECT_EQ(editor->GetDrawBitmap()->getWidth(), 70);
  EXPECT_EQ(editor->GetDrawBitmap()->getHeight(), 40);
  EXPECT_EQ(editor->Width(), 70);
  // Events between the resize and new controls reach nobody.
  editor->OnMouseUp(15, 15, nullptr);
  editor->OnMouseDrag(16, 16, nullptr);
  editor->SetControlFromPlug(1, 0.5);
  editor->SetParameterFromPlug(kGain, 0.5, true);
  const IColor red = COLOR_RED;
  editor->AttachPanelBackground(&red);
  Tick();
  EXPECT_EQ(editor->GetFrame()->getWidth(), 70);
  EXPECT_EQ(PictureOf(editor->GetFrame()).at(69, 39), COLOR_RED.Packed());
}

} // namespace
} // namespace editor_test
