#include "tests/platform/text_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kDejaVuSansMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

void PinDejaVuFaces()
{
  const char* const files[] = {kDejaVuSans, kDejaVuSansMono};
  ASSERT_TRUE(SWELL_SetFontFiles(files, 2)) << "fonts-dejavu-core must be installed";
}

TestContext::TestContext(int w, int h, uint32_t fill)
    : m_dc(SWELL_CreateMemContext(nullptr, w, h)), m_bits(static_cast<uint32_t*>(SWELL_GetCtxFrameBuffer(m_dc))),
      m_w(w), m_h(h)
{
  this->fill(fill);
}

TestContext::~TestContext() { SWELL_DeleteGfxContext(m_dc); }

void TestContext::fill(uint32_t colour) { std::fill(m_bits, m_bits + m_w * m_h, colour); }

Ink TestContext::ink(uint32_t fill, int l, int t, int r, int b) const
{
  if (r < 0) r = m_w;
  if (b < 0) b = m_h;
  Ink k;
  k.left = r, k.top = b, k.right = l, k.bottom = t;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x)
      if (m_bits[y * m_w + x] != fill)
      {
        ++k.count;
        k.left = std::min(k.left, x), k.right = std::max(k.right, x + 1);
        k.top = std::min(k.top, y), k.bottom = std::max(k.bottom, y + 1);
      }
  if (!k.count) k = Ink();
  return k;
}

HFONT MakeFont(int height, const char* face, int quality, int escapement, int weight)
{
  return CreateFont(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, face);
}

RECT Measure(HDC dc, const std::string& text, unsigned flags)
{
  RECT r = {0, 0, 0, 0};
  SWELL_DrawText(dc, text.c_str(), int(text.size()), &r, flags | DT_CALCRECT);
  return r;
}
