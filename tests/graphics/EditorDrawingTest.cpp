// The editor's image cache and drawing API: which image an identifier gives, what a failed load
// gives, retaining and releasing, scaled and cropped copies, the filmstrip frame rule and the
// clip of DrawBitmap and DrawRotatedMask, and the outline helpers, each checked against pictures
// composed independently from the source images.

#include <gtest/gtest.h>

#include <random>

#include "graphics/BitmapStorage.h"
#include "graphics/IBitmapControl.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"
#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

constexpr LICE_pixel kPanel = 0xFF204060u;

using ImageCache = EditorTest;
using DrawingApi = EditorTest;

TEST_F(ImageCache, AnIdentifierIsLoadedOnceAndKeepsItsFirstImageForEveryEditor)
{
  const Picture a = MakeFilmstrip(6, 5, 1, false, 1), b = MakeFilmstrip(6, 5, 1, false, 2);
  AddImage(editor, "a.png", a);
  AddImage(editor, "b.png", b);
  const int id = NextBitmapId();
  const IBitmap first = editor->LoadIBitmap(id, "a.png");
  const IBitmap second = editor->LoadIBitmap(id, "b.png", 5);
  ASSERT_NE(first.mData, nullptr);
  EXPECT_EQ(second.mData, first.mData);
  EXPECT_EQ(second.N, 5);
  EXPECT_EQ(first.W, 6);
  EXPECT_EQ(first.H, 5);
  EXPECT_TRUE(SamePixels(PictureOf(first.mData), a));

  // Another editor of another plug-in, whose host has no such image, gets the cached one.
  EditorTestPlug otherPlug;
  IGraphicsHeadless* pOther = new IGraphicsHeadless(&otherPlug, 10, 10);
  otherPlug.AttachGraphics(pOther);
  EXPECT_EQ(pOther->LoadIBitmap(id, "nowhere.png").mData, first.mData);
  EXPECT_EQ(s_bitmapCache.Count(first.mData), 1);
}

TEST_F(ImageCache, AnImageThatCannotBeLoadedDrawsNothingAndIsTriedAgainLater)
{
  const int id = NextBitmapId();
  IBitmap missing = editor->LoadIBitmap(id, "later.png", 0);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.W, 0);
  EXPECT_EQ(missing.H, 0);
  EXPECT_EQ(missing.N, 1);
  EXPECT_EQ(editor->LoadIBitmap(NextBitmapId(), "not-a-png.bmp").mData, nullptr);

  const IColor panel = IColor::FromPacked(kPanel);
  editor->AttachPanelBackground(&panel);
  IRECT all(0, 0, kWidth, kHeight);
  EXPECT_TRUE(editor->Draw(&all));
  editor->AttachControl(new IBitmapControl(&plug, 3, 4, -1, &missing));
  editor->AttachBackground(NextBitmapId(), "also-missing.png");
  EXPECT_TRUE(editor->Draw(&all));
  EXPECT_TRUE(SamePixels(Drawn(), Picture(kWidth, kHeight, kPanel)));

  const Picture image = MakeFilmstrip(4, 4, 1, false, 3);
  AddImage(editor, "later.png", image);
  EXPECT_NE(editor->LoadIBitmap(id, "later.png").mData, nullptr);
}

TEST_F(ImageCache, NegativeIdentifiersAreNeverLookedUp)
{
  AddImage(editor, "one.png", MakeFilmstrip(2, 2, 1, false, 4));
  AddImage(editor, "two.png", MakeFilmstrip(3, 3, 1, false, 5));
  const IBitmap one = editor->LoadIBitmap(-1, "one.png");
  const IBitmap two = editor->LoadIBitmap(-1, "two.png");
  EXPECT_NE(one.mData, two.mData);
  EXPECT_EQ(two.W, 3);
}

TEST_F(ImageCache, RetainedImagesSurviveOneReleaseAndUnknownImagesAreLeftAlone)
{
  AddImage(editor, "kept.png", MakeFilmstrip(8, 8, 1, false, 6));
  IBitmap kept = editor->LoadIBitmap(NextBitmapId(), "kept.png");
  editor->RetainBitmap(&kept);
  EXPECT_EQ(s_bitmapCache.Count(kept.mData), 2);
  editor->ReleaseBitmap(&kept);
  EXPECT_EQ(s_bitmapCache.Count(kept.mData), 1);
  // Still alive: reading it is fine under the address sanitizer.
  EXPECT_EQ(PictureOf(kept.mData).w, 8);

  LICE_MemBitmap foreign(2, 2);
  IBitmap notCached(&foreign, 2, 2);
  editor->ReleaseBitmap(&notCached);
  EXPECT_EQ(foreign.getWidth(), 2);

  IBitmap scaled = editor->ScaleBitmap(&kept, 4, 4);
  EXPECT_EQ(s_bitmapCache.Count(scaled.mData), 1);
  editor->ReleaseBitmap(&scaled);
  EXPECT_EQ(s_bitmapCache.Count(scaled.mData), 0);
}

TEST_F(ImageCache, CropAndScaleMakeCachedCopiesWithTheFrameCount)
{
  const Picture strip = MakeFilmstrip(10, 6, 3, true, 7);
  AddImage(editor, "strip.png", strip);
  IBitmap source = editor->LoadIBitmap(NextBitmapId(), "strip.png", 3, true);

  IRECT inner(4, 1, 17, 5);
  const IBitmap cropped = editor->CropBitmap(&source, &inner);
  Picture expected(13, 4);
  expected.Copy(strip, 4, 1, 13, 4, 0, 0, IRECT(0, 0, 13, 4));
  EXPECT_TRUE(SamePixels(PictureOf(cropped.mData), expected));
  EXPECT_EQ(cropped.N, 3);
  EXPECT_FALSE(cropped.mFramesAreHorizontal);

  // What lies beyond the source stays transparent.
  IRECT overhang(25, 4, 34, 8);
  Picture beyond(9, 4);
  beyond.Copy(strip, 25, 4, 9, 4, 0, 0, IRECT(0, 0, 9, 4));
  EXPECT_TRUE(SamePixels(PictureOf(editor->CropBitmap(&source, &overhang).mData), beyond));

  const IBitmap same = editor->ScaleBitmap(&source, 30, 6);
  EXPECT_TRUE(SamePixels(PictureOf(same.mData), strip));
  Picture flat(3, 3, 0xFF336699u);
  AddImage(editor, "flat.png", flat);
  IBitmap flatBitmap = editor->LoadIBitmap(NextBitmapId(), "flat.png");
  const IBitmap doubled = editor->ScaleBitmap(&flatBitmap, 7, 5);
  EXPECT_TRUE(SamePixels(PictureOf(doubled.mData), Picture(7, 5, 0xFF336699u)));

  IRECT nothing(5, 5, 5, 9);
  EXPECT_EQ(editor->CropBitmap(&source, &nothing).mData, nullptr);
  EXPECT_EQ(editor->ScaleBitmap(&source, 0, 4).mData, nullptr);
  IBitmap none;
  EXPECT_EQ(editor->ScaleBitmap(&none, 4, 4).mData, nullptr);
}

// A filmstrip control drawn in one strict pass over clip, compared with the panel colour plus
// the frame composed from the strip.
TEST_F(DrawingApi, FilmstripFramesAreDrawnClippedToThePaintedArea)
{
  std::mt19937 rng(77);
  for (const bool horizontal : {false, true})
  {
    const int frames = 7, fw = 13, fh = 11;
    const Picture strip = MakeFilmstrip(fw, fh, frames, horizontal, horizontal ? 8 : 9);
    const std::string name = horizontal ? "h.png" : "v.png";
    AddImage(editor, name.c_str(), strip);
    IBitmap bitmap = editor->LoadIBitmap(NextBitmapId(), name.c_str(), frames, horizontal);
    int state = 1;
    IRECT dest;
    ProbeControl* pProbe = AddProbe(IRECT(0, 0, kWidth, kHeight));
    pProbe->draw = [&](IGraphics* pGraphics, IControl*) { pGraphics->DrawBitmap(&bitmap, &dest, state); };
    const IColor panel = IColor::FromPacked(kPanel);
    editor->AttachPanelBackground(&panel);

    std::uniform_int_distribution<int> pos(-15, 125), clipPos(0, 85), clipSize(1, 70), states(-1, frames + 2);
    for (int round = 0; round < 150; ++round)
    {
      const int x = pos(rng), y = pos(rng) % 95;
      dest = IRECT(x, y, x + fw, y + fh);
      state = states(rng);
      const int cl = clipPos(rng), ct = clipPos(rng);
      IRECT clip(cl, ct, cl + clipSize(rng), ct + clipSize(rng));
      if (round == 0) clip = IRECT(0, 0, kWidth, kHeight);
      editor->Draw(&clip);

      // Frame f (0-based) of a strip whose size divides evenly starts at f x frame size; a state
      // beyond the last frame reads beyond the strip, where there is nothing to draw.
      const int f = std::max(state, 1) - 1;
      Picture expected(kWidth, kHeight, kPanel);
      const IRECT visible = clip.Intersect(&dest);
      if (f < frames)
        expected.Over(strip, horizontal ? f * fw : 0, horizontal ? 0 : f * fh, fw, fh, x, y, visible);
      ASSERT_TRUE(SamePixels(Drawn(), expected))
        << "round " << round << " state " << state << " at " << x << "," << y << " clip " << clip.L << "," << clip.T
        << "," << clip.R << "," << clip.B;
    }
    editor->Resize(kWidth + 1, kHeight);
    editor->Resize(kWidth, kHeight);
  }
}

TEST_F(DrawingApi, StateThirtyOneOfAThirtyOneFrameStripDrawsItsLastHundredRows)
{
  Picture strip(100, 3100);
  for (int y = 0; y < 3100; ++y)
    for (int x = 0; x < 100; ++x) strip.at(x, y) = LICE_RGBA(y / 100, y % 100, x, 255);
  AddImage(editor, "knob.png", strip);
  IBitmap knob = editor->LoadIBitmap(NextBitmapId(), "knob.png", 31);
  IRECT dest(5, -5, 105, 95);
  for (const int state : {1, 2, 16, 31})
  {
    ProbeControl* pProbe = AddProbe(IRECT(0, 0, kWidth, kHeight));
    pProbe->draw = [&, state](IGraphics* pGraphics, IControl*) { pGraphics->DrawBitmap(&knob, &dest, state); };
    IRECT all(0, 0, kWidth, kHeight);
    editor->Draw(&all);
    const Picture drawn = Drawn();
    // Editor row 10 shows strip row (state - 1) * 100 + 15, column 20 strip column 15.
    EXPECT_EQ(drawn.at(20, 10), strip.at(15, (state - 1) * 100 + 15)) << state;
    EXPECT_EQ(drawn.at(104, 0), strip.at(99, (state - 1) * 100 + 5)) << state;
    editor->Resize(kWidth, kHeight + 1);
    editor->Resize(kWidth, kHeight);
  }

  // Three frames of a 100-row image: state 3 starts at row int(2 x 100 / 3 + 0.5) = 67.
  Picture three(1, 100);
  for (int y = 0; y < 100; ++y) three.at(0, y) = LICE_RGBA(y, 0, 0, 255);
  AddImage(editor, "three.png", three);
  IBitmap threeFrames = editor->LoadIBitmap(NextBitmapId(), "three.png", 3);
  IRECT pixel(0, 0, 1, 1);
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 1, 1));
  pProbe->draw = [&](IGraphics* pGraphics, IControl*) { pGraphics->DrawBitmap(&threeFrames, &pixel, 3); };
  editor->Draw(&pixel);
  EXPECT_EQ(LICE_GETR(Drawn().at(0, 0)), 67u);
}

TEST_F(DrawingApi, RotatedMaskIsClippedToThePaintedArea)
{
  const Picture base = MakeFilmstrip(21, 21, 1, false, 10), mask = MakeFilmstrip(21, 21, 1, false, 11),
                top = MakeFilmstrip(21, 21, 1, false, 12);
  AddImage(editor, "base.png", base);
  AddImage(editor, "mask.png", mask);
  AddImage(editor, "top.png", top);
  IBitmap b = editor->LoadIBitmap(NextBitmapId(), "base.png"), m = editor->LoadIBitmap(NextBitmapId(), "mask.png"),
          t = editor->LoadIBitmap(NextBitmapId(), "top.png");
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, kWidth, kHeight));
  double angle = 0.0;
  pProbe->draw = [&](IGraphics* pGraphics, IControl*) { pGraphics->DrawRotatedMask(&b, &m, &t, 30, 20, angle); };
  const IColor panel = IColor::FromPacked(kPanel);
  editor->AttachPanelBackground(&panel);

  for (const double a : {0.0, 37.0, -120.0})
  {
    angle = a;
    IRECT all(0, 0, kWidth, kHeight);
    editor->Draw(&all);
    const Picture full = Drawn();
    IRECT clip(35, 12, 44, 33);
    editor->Draw(&clip);
    Picture expected(kWidth, kHeight, kPanel);
    expected.Copy(full, 35, 12, 9, 21, 35, 12, IRECT(0, 0, kWidth, kHeight));
    EXPECT_TRUE(SamePixels(Drawn(), expected)) << a;
    // The composition lands exactly on the base's square.
    Picture outside = full;
    outside.Fill(IRECT(30, 20, 51, 41), kPanel);
    EXPECT_TRUE(SamePixels(outside, Picture(kWidth, kHeight, kPanel))) << a;
  }
  IBitmap none;
  angle = 10.0;
  pProbe->draw = [&](IGraphics* pGraphics, IControl*) { pGraphics->DrawRotatedMask(&none, &m, &t, 30, 20, angle); };
  IRECT all(0, 0, kWidth, kHeight);
  editor->Draw(&all);
  EXPECT_TRUE(SamePixels(Drawn(), Picture(kWidth, kHeight, kPanel)));
}

TEST_F(DrawingApi, OutlineHelpersDrawOnTheRowsAndColumnsTheirFractionsName)
{
  LICE_Clear(editor->GetDrawBitmap(), 0);
  IRECT r(10, 10, 50, 30);
  const IColor red = COLOR_RED;
  editor->DrawHorizontalLine(&red, &r, 1.0f);
  editor->DrawHorizontalLine(&red, &r, 0.0f);
  editor->DrawHorizontalLine(&red, &r, 0.5f);
  editor->DrawVerticalLine(&red, &r, 0.25f);
  editor->DrawVerticalLine(&red, &r, 7.0f);
  Picture expected(kWidth, kHeight, 0);
  for (const int row : {10, 30, 20}) expected.Fill(IRECT(10, row, 51, row + 1), red.Packed());
  for (const int column : {20, 50}) expected.Fill(IRECT(column, 10, column + 1, 31), red.Packed());
  EXPECT_TRUE(SamePixels(Drawn(), expected));

  LICE_Clear(editor->GetDrawBitmap(), 0);
  IRECT box(60, 40, 70, 45);
  editor->DrawRect(&COLOR_GREEN, &box);
  Picture outline(kWidth, kHeight, 0);
  outline.Fill(IRECT(60, 40, 71, 46), COLOR_GREEN.Packed());
  outline.Fill(IRECT(61, 41, 70, 45), 0);
  EXPECT_TRUE(SamePixels(Drawn(), outline));
}

TEST_F(DrawingApi, FillsAndPointsCoverTheirPixelsAndStayInsideTheBitmap)
{
  const IColor blue = COLOR_BLUE;
  LICE_Clear(editor->GetDrawBitmap(), 0);
  IRECT r(5, 6, 45, 36);
  editor->FillRoundRect(&blue, &r, nullptr, 0, false);
  Picture square(kWidth, kHeight, 0);
  square.Fill(r, blue.Packed());
  EXPECT_TRUE(SamePixels(Drawn(), square));

  LICE_Clear(editor->GetDrawBitmap(), 0);
  editor->FillRoundRect(&blue, &r, nullptr, 6, false);
  const Picture rounded = Drawn();
  EXPECT_EQ(rounded.at(5, 6), 0u);
  EXPECT_EQ(rounded.at(44, 35), 0u);
  EXPECT_EQ(rounded.at(44, 6), 0u);
  EXPECT_EQ(rounded.at(5, 35), 0u);
  for (const auto& p : {std::pair<int, int>{25, 6}, {25, 35}, {5, 20}, {44, 20}, {25, 20}, {8, 9}, {41, 32}})
    EXPECT_EQ(rounded.at(p.first, p.second), blue.Packed()) << p.first << "," << p.second;
  for (int y = 0; y < kHeight; ++y)
  {
    for (int x = 0; x < kWidth; ++x)
    {
      if (r.Contains(x, y)) continue;
      ASSERT_EQ(rounded.at(x, y), 0u) << x << "," << y;
    }
  }

  LICE_Clear(editor->GetDrawBitmap(), 0);
  const IColor halfRed(128, 255, 0, 0);
  editor->ForcePixel(&halfRed, 3, 4);
  editor->ForcePixel(&halfRed, -1, 4);
  editor->ForcePixel(&halfRed, kWidth, 0);
  editor->ForcePixel(&halfRed, 0, kHeight);
  editor->DrawPoint(&blue, 9.5f, 9.49f);
  Picture points(kWidth, kHeight, 0);
  points.at(3, 4) = 0x80FF0000u;
  points.at(10, 9) = blue.Packed();
  EXPECT_TRUE(SamePixels(Drawn(), points));
  EXPECT_EQ(editor->GetPoint(3, 4), halfRed);
  EXPECT_EQ(editor->GetPoint(-1, 0), COLOR_TRANSPARENT);
  EXPECT_EQ(editor->GetPoint(0, kHeight), COLOR_TRANSPARENT);

  // A radial line at angle 0 points up from the centre.
  LICE_Clear(editor->GetDrawBitmap(), 0);
  editor->DrawRadialLine(&blue, 60.0f, 50.0f, 0.0f, 5.0f, 20.0f);
  Picture radial(kWidth, kHeight, 0);
  radial.Fill(IRECT(60, 30, 61, 46), blue.Packed());
  EXPECT_TRUE(SamePixels(Drawn(), radial));
}

} // namespace
} // namespace editor_test
