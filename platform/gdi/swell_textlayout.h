#pragma once

// Text layout: UTF-8 decoding, '&' prefixes, line and word breaks, kerning and alignment, for one
// font instance. Everything here runs with FontLock held. Positions are worked out in text space
// (u along the baseline, v down the lines, the block's top-left at 0, 0) in 64-bit integers, so no
// text length or rectangle can overflow them, and mapped to the device by the font's rotation.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/swell_glyphcache.h"
#include "platform/gdi/swell_types.h"

namespace swell_text
{
constexpr unsigned kReplacementCharacter = 0xFFFD;

// Decodes one UTF-8 character from [p, end): returns its code point and moves p past it. An
// invalid or truncated sequence, an overlong form, a surrogate or a value above U+10FFFF yields
// U+FFFD and consumes one byte (or the valid prefix of a truncated sequence). p < end.
unsigned DecodeUtf8Sequence(const char*& p, const char* end);
inline unsigned DecodeUtf8(const char*& p, const char* end)
{
  const auto lead = static_cast<unsigned char>(*p);
  if (lead < 0x80)
  {
    ++p;
    return lead;
  }
  return DecodeUtf8Sequence(p, end);
}

// One character as the layout meets it.
struct LaidChar
{
  unsigned code;
  size_t byte;        // offset of its first byte in the text
  Glyph* glyph;       // valid until the next character is walked
  int64_t u;          // pen position on the baseline, from the line's start
  bool underlined;    // marked by an '&' prefix
};

// One line of the block: a byte range of the text and its width.
struct LaidLine
{
  size_t begin;
  size_t end;
  int64_t width;
  int64_t offset; // u of the line's start within the block (alignment)
};

// The font facts the layout needs.
struct LayoutFont
{
  FontInstance* instance;
  int line_height;
  int ascent;
  int escapement; // tenths of a degree, 0..3599
};

class TextLayout
{
public:
  // Breaks text[0, length) into lines for the flags (DT_SINGLELINE, DT_WORDBREAK with
  // wrapWidth, DT_NOPREFIX) and aligns them (DT_CENTER, DT_RIGHT) within the block.
  TextLayout(const LayoutFont& font, const char* text, size_t length, unsigned flags, int64_t wrapWidth);

  // Block size in text space.
  int64_t width() const { return m_width; }
  int64_t height() const { return int64_t(m_lines.size()) * m_font.line_height; }
  const std::vector<LaidLine>& lines() const { return m_lines; }

  // Size of the block's bounding box on the device (after rotation).
  int64_t boxWidth() const { return m_box_w; }
  int64_t boxHeight() const { return m_box_h; }

  // Places the block's bounding box in rect by the alignment flags (DT_CENTER, DT_RIGHT,
  // DT_VCENTER, DT_BOTTOM); afterwards toDevice maps text space to context pixels.
  void placeIn(const RECT& rect, unsigned flags);
  // Device position of text-space point (u, v).
  void toDevice(double u, double v, double* x, double* y) const;
  // Text-space position of device point (x, y).
  void toText(double x, double y, double* u, double* v) const;
  // The device position (rounded to whole pixels) of a character's pen on line `line`.
  void penPosition(size_t line, int64_t u, int64_t* x, int64_t* y) const;

  // Calls visit(const LaidChar&) for every drawn character of line `line`, in order, until it
  // returns false.
  template <class Visit>
  void walkLine(size_t line, Visit&& visit) const;

  // Whether the rotation is a whole number of quarter turns (device and text axes line up).
  bool axisAligned() const { return m_font.escapement % 900 == 0; }

private:
  void breakLines(unsigned flags, int64_t wrapWidth);
  int64_t measure(size_t begin, size_t end) const;

  LayoutFont m_font;
  const char* m_text;
  size_t m_length;
  bool m_prefixes;
  bool m_single;
  std::vector<LaidLine> m_lines;
  int64_t m_width = 0;
  double m_cos = 1, m_sin = 0;
  int64_t m_box_w = 0, m_box_h = 0;
  double m_min_x = 0, m_min_y = 0;
  double m_origin_x = 0, m_origin_y = 0;
};

// Walks the characters of text[begin, end): decoding, '&' prefixes, skipped control characters,
// glyph lookup and kerning. visit(const LaidChar&) is called for each character drawn and returns
// false to stop the walk.
template <class Visit>
void WalkCharacters(FontInstance* instance, const char* text, size_t begin, size_t end, bool prefixes, Visit&& visit)
{
  Glyph spare;
  const char* p = text + begin;
  const char* const stop = text + end;
  Face* prevFace = nullptr;
  unsigned prevCode = 0, prevIndex = 0;
  int prevRsb = 0;
  int64_t pen = 0;
  bool underlineNext = false;
  while (p < stop)
  {
    const size_t byte = size_t(p - text);
    unsigned code = DecodeUtf8(p, stop);
    if (prefixes && code == '&')
    {
      if (p == stop) break;
      if (*p != '&')
      {
        underlineNext = true;
        continue;
      }
      ++p;
    }
    if (code < 0x20 || code == 0x7F) continue;
    Glyph* g = instance->glyph(code, &spare);
    if (prevFace) pen += instance->kerning(prevCode, prevFace, prevIndex, prevRsb, code, *g);
    if (!visit(LaidChar{code, byte, g, pen, underlineNext})) return;
    underlineNext = false;
    pen += g->advance;
    prevFace = g->face;
    prevCode = code;
    prevIndex = g->index;
    prevRsb = g->rsb_delta;
  }
}

template <class Visit>
void TextLayout::walkLine(size_t line, Visit&& visit) const
{
  const LaidLine& l = m_lines[line];
  WalkCharacters(m_font.instance, m_text, l.begin, l.end, m_prefixes, visit);
}
} // namespace swell_text
