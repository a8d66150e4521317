#pragma once

#include "rasterizer/lice_bitmap.h"

// A bitmap in an ordinary heap block. Rows start 64-byte aligned and are `linealign` pixels
// aligned; storage never shrinks and grows with 25 % head-room, so repeated resizing is cheap.
class LICE_MemBitmap : public LICE_IBitmap
{
public:
  // Creates an empty bitmap, then resizes it to w x h when both are positive. linealign below 2
  // means rows are exactly w pixels; otherwise rows are rounded up to a multiple of linealign's
  // lowest set bit (1, 2, 4, 8 or 16 in practice). Pixels are not initialised.
  explicit LICE_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 0);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  // First pixel (64-byte aligned), or null when empty.
  LICE_pixel* getBits() override;
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  // Width rounded up to the line alignment.
  int getRowSpan() override;
  // Returns false when already w x h. Otherwise true; the bitmap is empty afterwards when w or h
  // is not positive, the size is too large, or allocation failed. Old bytes stay in place when
  // the block is kept or grown, seen through the new row span.
  bool resize(int w, int h) override;

private:
  void* m_buffer;
  int m_width;
  int m_height;
  int m_allocated;
  int m_linealign;
};
