#pragma once

#include "platform/gdi/swell_memcontext.h"
#include "rasterizer/lice_bitmap.h"

// A bitmap whose pixels live in a memory drawing context, so that the platform can copy it to
// the screen and draw text into it. Rows are a multiple of 4 pixels; shrinking keeps the context
// and a later grow within the allocated size needs no new one.
class LICE_SysBitmap : public LICE_IBitmap
{
public:
  // Creates the bitmap and its context for w x h (no context when either is not positive).
  explicit LICE_SysBitmap(int w = 0, int h = 0);
  // Deletes the context.
  ~LICE_SysBitmap() override = default;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  // The context's frame buffer, or null.
  LICE_pixel* getBits() override { return m_bits; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  // The row span of the context (width rounded up to a multiple of 4 when it was created).
  int getRowSpan() override { return m_allocw; }
  // Returns false when already w x h. Keeps the context when the new size fits in it (returns
  // true). Otherwise replaces it: returns false, leaving no storage, when w or h is not positive
  // or w is too large; returns true after creating the context, or with an empty bitmap (size
  // 0 x 0) when creation failed.
  bool resize(int w, int h) override;
  // The memory drawing context, or null.
  HDC getDC() override { return m_dc.get(); }

private:
  int m_width;
  int m_height;
  SWELL_ContextHolder m_dc;
  LICE_pixel* m_bits;
  int m_allocw;
  int m_alloch;
};
