#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/gdi/swell_types.h"
#include "rasterizer/lice_pixel.h"

// A 32-bit bitmap as every rasteriser function sees it. Pixel (x, y), (0, 0) top-left, is the
// word at index y * getRowSpan() + x from getBits(), or at (height - 1 - y) * getRowSpan() + x
// when isFlipped() is true. The pointer from getBits() is valid until the next resize or the
// bitmap's deletion. Bitmaps are deleted through this interface.
class LICE_IBitmap
{
public:
  virtual ~LICE_IBitmap() {}

  // First pixel, or null when the bitmap has no storage.
  virtual LICE_pixel* getBits() = 0;
  // Width in pixels.
  virtual int getWidth() = 0;
  // Height in pixels.
  virtual int getHeight() = 0;
  // Pixels from one stored row to the next (>= width).
  virtual int getRowSpan() = 0;
  // True when rows are stored bottom-up.
  virtual bool isFlipped() { return false; }
  // Changes the size (contents undefined afterwards). Returns false when the bitmap already had
  // size w x h and nothing was done, true otherwise; on allocation failure the bitmap is left
  // empty (check the size or getBits()).
  virtual bool resize(int w, int h) = 0;
  // Platform drawing context behind the pixels, or null.
  virtual HDC getDC() { return nullptr; }
  // Extension requests; no request is understood, so the answer is always 0.
  virtual intptr_t Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// One call's view of a bitmap's rows, fetched once through the interface at the start of an
// operation so that loops address pixels without virtual calls and with flipping resolved.
struct LICE_BitmapRows
{
  LICE_pixel* bits = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t span = 0;
  bool flipped = false;

  LICE_BitmapRows() = default;
  // Reads bits, sizes, row span and orientation of bm (all empty for a null bitmap).
  explicit LICE_BitmapRows(LICE_IBitmap* bm)
  {
    if (!bm) return;
    bits = bm->getBits();
    width = bm->getWidth();
    height = bm->getHeight();
    span = bm->getRowSpan();
    flipped = bm->isFlipped();
  }

  // True when there are pixels to touch: non-null bits and a positive size.
  bool usable() const { return bits && width > 0 && height > 0 && span > 0; }
  // Clips the rectangle (x, y, w, h) to the bitmap; false when nothing of it is left or the
  // bitmap is not usable. Worked in 64 bits, so no int coordinates can overflow it.
  bool clip(int64_t& x, int64_t& y, int64_t& w, int64_t& h) const
  {
    const int64_t x1 = std::min<int64_t>(x + w, width), y1 = std::min<int64_t>(y + h, height);
    x = std::max<int64_t>(x, 0);
    y = std::max<int64_t>(y, 0);
    w = x1 - x;
    h = y1 - y;
    return usable() && w > 0 && h > 0;
  }
  // Address of the first pixel of row y (0 = top); y must lie in 0..height-1.
  LICE_pixel* row(int y) const { return bits + (flipped ? ptrdiff_t(height - 1 - y) : ptrdiff_t(y)) * span; }
  // Address of pixel (x, y).
  LICE_pixel* at(int x, int y) const { return row(y) + x; }
  // Pointer step from one row to the one below it.
  ptrdiff_t down() const { return flipped ? -span : span; }
};
