#pragma once

// Shared by the text tests: faces pinned to the DejaVu files, so that pixels do not depend on what
// else a machine has installed, and a memory context with the questions tests ask of its pixels.

#include <cstdint>
#include <string>

#include "platform/gdi/swell_font.h"
#include "platform/gdi/swell_memcontext.h"

extern const char* const kDejaVuSans;
extern const char* const kDejaVuSansMono;

// Restricts face matching to DejaVu Sans and DejaVu Sans Mono; fails the test when it cannot.
void PinDejaVuFaces();

// The bounding box of the pixels that differ from a background value (right, bottom exclusive),
// and how many there are.
struct Ink
{
  int left = 0, top = 0, right = 0, bottom = 0;
  int count = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// A memory context filled with one colour, deleted at the end of the scope.
class TestContext
{
public:
  TestContext(int w, int h, uint32_t fill = 0xFF000000u);
  ~TestContext();
  TestContext(const TestContext&) = delete;
  TestContext& operator=(const TestContext&) = delete;

  HDC dc() const { return m_dc; }
  int width() const { return m_w; }
  int height() const { return m_h; }
  uint32_t& px(int x, int y) { return m_bits[y * m_w + x]; }
  void fill(uint32_t colour);
  // Pixels that differ from `fill` within the given box (default: everywhere).
  Ink ink(uint32_t fill, int l = 0, int t = 0, int r = -1, int b = -1) const;

private:
  HDC m_dc;
  uint32_t* m_bits;
  int m_w, m_h;
};

// Creates a font and selects it into a context for a scope.
class SelectedFont
{
public:
  SelectedFont(HDC dc, HFONT font) : m_dc(dc), m_font(font), m_previous(SelectObject(dc, font)) {}
  ~SelectedFont()
  {
    SelectObject(m_dc, m_previous);
    DeleteObject(m_font);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;
  HFONT font() const { return m_font; }

private:
  HDC m_dc;
  HFONT m_font;
  HGDIOBJ m_previous;
};

// CreateFont with the arguments tests vary; the rest default.
HFONT MakeFont(int height, const char* face = "DejaVu Sans", int quality = 0, int escapement = 0, int weight = 400);

// CALCRECT size of text with the font selected into dc.
RECT Measure(HDC dc, const std::string& text, unsigned flags = 0);
