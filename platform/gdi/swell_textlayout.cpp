#include "platform/gdi/swell_textlayout.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/swell_font.h"

namespace swell_text
{
namespace
{
// Half of v rounded down, so that centring moves odd leftovers the same way on both sides of 0.
int64_t floorHalf(int64_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }
} // namespace

unsigned DecodeUtf8Sequence(const char*& p, const char* end)
{
  const auto* s = reinterpret_cast<const unsigned char*>(p);
  const unsigned char lead = s[0];
  int extra;
  unsigned code, min;
  if (lead >= 0xC2 && lead <= 0xDF) extra = 1, code = lead & 0x1F, min = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF) extra = 2, code = lead & 0x0F, min = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4) extra = 3, code = lead & 0x07, min = 0x10000;
  else
  {
    ++p;
    return kReplacementCharacter;
  }
  const ptrdiff_t available = end - p - 1;
  int i = 1;
  for (; i <= extra && i <= available && isContinuation(s[i]); ++i) code = (code << 6) | (s[i] & 0x3F);
  if (i <= extra)
  {
    // Truncated or broken: the lead and the continuation bytes seen so far stand for one U+FFFD.
    p += i;
    return kReplacementCharacter;
  }
  p += extra + 1;
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacementCharacter;
  return code;
}

TextLayout::TextLayout(const LayoutFont& font, const char* text, size_t length, unsigned flags, int64_t wrapWidth)
    : m_font(font), m_text(text), m_length(length), m_prefixes(!(flags & DT_NOPREFIX)),
      m_single((flags & DT_SINGLELINE) != 0)
{
  switch (font.escapement)
  {
    case 0: m_cos = 1, m_sin = 0; break;
    case 900: m_cos = 0, m_sin = 1; break;
    case 1800: m_cos = -1, m_sin = 0; break;
    case 2700: m_cos = 0, m_sin = -1; break;
    default:
    {
      const double a = font.escapement * 3.14159265358979323846 / 1800.0;
      m_cos = std::cos(a);
      m_sin = std::sin(a);
    }
  }
  if (length == 0) return;
  breakLines(flags, wrapWidth);

  for (const LaidLine& l : m_lines) m_width = std::max(m_width, l.width);
  for (LaidLine& l : m_lines)
  {
    if (flags & DT_RIGHT) l.offset = m_width - l.width;
    else if (flags & DT_CENTER) l.offset = floorHalf(m_width - l.width);
  }

  // The block's corners on the device, relative to its text-space origin.
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int corner = 0; corner < 4; ++corner)
  {
    double x, y;
    m_origin_x = m_origin_y = 0;
    toDevice(corner & 1 ? double(m_width) : 0.0, corner & 2 ? double(height()) : 0.0, &x, &y);
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  m_min_x = minX;
  m_min_y = minY;
  m_box_w = int64_t(std::ceil(maxX - minX - 1e-6));
  m_box_h = int64_t(std::ceil(maxY - minY - 1e-6));
}

int64_t TextLayout::measure(size_t begin, size_t end) const
{
  int64_t width = 0;
  WalkCharacters(m_font.instance, m_text, begin, end, m_prefixes, [&](const LaidChar& c) {
    width = c.u + c.glyph->advance;
    return true;
  });
  return width;
}

void TextLayout::breakLines(unsigned flags, int64_t wrapWidth)
{
  const bool wrap = (flags & DT_WORDBREAK) && !m_single;
  size_t begin = 0;
  while (begin <= m_length)
  {
    size_t end = begin, next = m_length + 1;
    if (m_single) end = m_length;
    else
    {
      while (end < m_length && m_text[end] != '\n' && m_text[end] != '\r') ++end;
      if (end < m_length) next = end + ((m_text[end] == '\r' && end + 1 < m_length && m_text[end + 1] == '\n') ? 2 : 1);
    }

    size_t start = begin;
    while (wrap)
    {
      // Greedy: the line ends before the last run of spaces that still lets it fit.
      bool seenInk = false, inSpace = false, broke = false;
      size_t runStart = 0, breakAt = 0, resumeAt = 0;
      int64_t runWidth = 0, breakWidth = 0;
      WalkCharacters(m_font.instance, m_text, start, end, m_prefixes, [&](const LaidChar& c) {
        if (c.code == ' ')
        {
          if (!inSpace && seenInk) inSpace = true, runStart = c.byte, runWidth = c.u;
          return true;
        }
        if (inSpace) inSpace = false, breakAt = runStart, breakWidth = runWidth, resumeAt = c.byte;
        seenInk = true;
        if (c.u + c.glyph->advance > wrapWidth && resumeAt > start)
        {
          broke = true;
          return false;
        }
        return true;
      });
      if (!broke) break;
      m_lines.push_back(LaidLine{start, breakAt, breakWidth, 0});
      start = resumeAt;
    }
    m_lines.push_back(LaidLine{start, end, measure(start, end), 0});
    begin = next;
  }
}

void TextLayout::placeIn(const RECT& rect, unsigned flags)
{
  const int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
  int64_t boxLeft = left, boxTop = top;
  if (flags & DT_RIGHT) boxLeft = right - m_box_w;
  else if (flags & DT_CENTER) boxLeft = left + floorHalf(right - left - m_box_w);
  if (flags & DT_BOTTOM) boxTop = bottom - m_box_h;
  else if (flags & DT_VCENTER) boxTop = top + floorHalf(bottom - top - m_box_h);
  m_origin_x = double(boxLeft) - m_min_x;
  m_origin_y = double(boxTop) - m_min_y;
}

void TextLayout::toDevice(double u, double v, double* x, double* y) const
{
  *x = m_origin_x + u * m_cos + v * m_sin;
  *y = m_origin_y - u * m_sin + v * m_cos;
}

void TextLayout::toText(double x, double y, double* u, double* v) const
{
  const double ex = x - m_origin_x, ey = y - m_origin_y;
  *u = ex * m_cos - ey * m_sin;
  *v = ex * m_sin + ey * m_cos;
}

void TextLayout::penPosition(size_t line, int64_t u, int64_t* x, int64_t* y) const
{
  double dx, dy;
  toDevice(double(m_lines[line].offset + u), double(int64_t(line) * m_font.line_height + m_font.ascent), &dx, &dy);
  *x = int64_t(std::floor(dx + 0.5));
  *y = int64_t(std::floor(dy + 0.5));
}
} // namespace swell_text
