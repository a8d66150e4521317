#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/IBitmapTextControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IKnobControl.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;

namespace
{
constexpr int kCharW = 5, kCharH = 7, kGlyphs = 96; // codes 32..127, one frame each

// One glyph expected at (x, y): the frame of character c, or of the blank.
struct Glyph
{
  char c;
  int x, y;
};

Picture Expected(const ControlEditor& ed, const Picture& strip, const std::vector<Glyph>& glyphs)
{
  Picture p = ed.background;
  for (const Glyph& g : glyphs)
  {
    const int frame = (unsigned char)g.c >= 32 && (unsigned char)g.c < 128 ? (unsigned char)g.c - 32 : 0;
    Compose(p, strip, IRECT(0, frame * kCharH, kCharW, (frame + 1) * kCharH), g.x, g.y, Blend::kSourceAlpha);
  }
  return p;
}
} // namespace

// Glyphs are placed by hand below: in a rectangle 50 wide and 30 high at (10, 10), three
// characters 5 wide take 15 columns, so they start at 10 (near), 27 (centre) or 45 (far); centred
// vertically they sit on row 21; spacing 2 puts them 7 apart. A single line keeps what fits; a
// multi-line text wraps at two characters in a 14-pixel rectangle and keeps every character.
// Characters the strip has no glyph for are drawn as the blank.
TEST(BitmapText, GlyphsArePlacedByAlignmentAndWrapped)
{
  struct Case
  {
    IRECT r;
    const char* text;
    IText::EAlign align;
    bool vCenter, multiline;
    int spacing;
    std::vector<Glyph> glyphs;
  };
  const Case cases[] = {
    {IRECT(10, 10, 60, 40), "AB1", IText::kAlignNear, false, false, 0, {{'A', 10, 10}, {'B', 15, 10}, {'1', 20, 10}}},
    {IRECT(10, 10, 60, 40), "AB1", IText::kAlignCenter, true, false, 0, {{'A', 27, 21}, {'B', 32, 21}, {'1', 37, 21}}},
    {IRECT(10, 10, 60, 40), "AB1", IText::kAlignFar, false, true, 2, {{'A', 45, 10}, {'B', 52, 10}, {'1', 59, 10}}},
    {IRECT(10, 10, 24, 40), "ABCDE", IText::kAlignNear, false, false, 0, {{'A', 10, 10}, {'B', 15, 10}}},
    {IRECT(10, 10, 24, 40), "ABCDE", IText::kAlignNear, false, true, 1,
     {{'A', 10, 10}, {'B', 16, 10}, {'C', 10, 17}, {'D', 16, 17}, {'E', 10, 24}}},
    {IRECT(0, 90, 50, 100), "x\t~\x7f\xe9", IText::kAlignNear, true, false, 0,
     {{'x', 0, 91}, {' ', 5, 91}, {'~', 10, 91}, {'\x7f', 15, 91}, {' ', 20, 91}}},
    {IRECT(10, 10, 14, 40), "AB", IText::kAlignNear, false, true, 0, {}},
  };
  for (const Case& c : cases)
  {
    ControlEditor ed(41);
    const Picture strip = RandomPicture(kCharW, kCharH * kGlyphs, 42);
    IBitmap glyphs = ed.Image(strip, kGlyphs);
    IText style;
    style.mAlign = c.align;
    ed.Add(new IBitmapTextControl(&ed.plug, c.r, &glyphs, c.text, &style, kCharW, kCharH, c.spacing, c.multiline,
                                  c.vCenter));
    ed.Attach();
    EXPECT_TRUE(SamePixels(ed.Render(), Expected(ed, strip, c.glyphs))) << "text \"" << c.text << "\"";
  }
}

// The text follows the plug-in (only a different text marks the control dirty) and serves as a
// knob's value display: a turn shows the value, a blank and the unit.
TEST(BitmapText, TextFollowsThePlugInAndServesAsValueDisplay)
{
  ControlEditor ed(43);
  const Picture strip = RandomPicture(kCharW, kCharH * kGlyphs, 44);
  IBitmap glyphs = ed.Image(strip, kGlyphs);
  IText nearStyle;
  nearStyle.mAlign = IText::kAlignNear;
  IBitmapTextControl* pText =
    ed.Add(new IBitmapTextControl(&ed.plug, IRECT(0, 0, 100, 7), &glyphs, "", &nearStyle, kCharW, kCharH, 0, false,
                                  false));
  IKnobMultiControl* pKnob = ed.Add(new IKnobMultiControl(&ed.plug, 50, 50, kGain, &glyphs));
  pKnob->SetValDisplayControl(pText);
  ed.Attach();
  EXPECT_TRUE(SamePixels(ed.Render(), Expected(ed, strip, {{' ', 50, 50}})));

  pText->SetTextFromPlug("");
  EXPECT_FALSE(pText->IsDirty());
  pText->SetTextFromPlug(nullptr);
  EXPECT_FALSE(pText->IsDirty());

  IMouseMod wheel;
  ed.gui->OnMouseWheel(52, 52, &wheel, 25);
  EXPECT_STREQ(pText->GetTextForPlug(), "0.25 dB");
  EXPECT_TRUE(pText->IsDirty());
  std::vector<Glyph> shown;
  const std::string text = "0.25 dB";
  for (size_t i = 0; i < text.size(); ++i) shown.push_back({text[i], int(i) * kCharW, 0});
  shown.push_back({char(32 + 24), 50, 50}); // the knob: frame 25 of 96 for 0.25
  EXPECT_TRUE(SamePixels(ed.Render(), Expected(ed, strip, shown)));
}
