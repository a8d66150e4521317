#include "rasterizer/lice_pixelops.h"

#include <cstring>

#include "rasterizer/lice_solidpen.h"

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel colour)
{
  const LICE_BitmapRows bm(dest);
  if (!bm.usable()) return;
  for (int y = 0; y < bm.height; ++y)
  {
    LICE_pixel* p = bm.row(y);
    for (int x = 0; x < bm.width; ++x) p[x] = colour;
  }
}

void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask, LICE_pixel orbits)
{
  const LICE_BitmapRows bm(dest);
  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!bm.clip(cx, cy, cw, ch)) return;
  for (int64_t r = cy; r < cy + ch; ++r)
  {
    LICE_pixel* p = bm.row(int(r)) + cx;
    for (int64_t i = 0; i < cw; ++i) p[i] = (p[i] & mask) | orbits;
  }
}

LICE_pixel LICE_GetPixel(LICE_IBitmap* bmp, int x, int y)
{
  const LICE_BitmapRows bm(bmp);
  if (!bm.usable() || x < 0 || y < 0 || x >= bm.width || y >= bm.height) return 0;
  return *bm.at(x, y);
}

void LICE_PutPixel(LICE_IBitmap* bmp, int x, int y, LICE_pixel colour, float alpha, int mode)
{
  const LICE_BitmapRows bm(bmp);
  if (!bm.usable() || x < 0 || y < 0 || x >= bm.width || y >= bm.height) return;
  LICE_pixel* p = bm.at(x, y);
  lice_pen::withSolidPen<lice_pen::CopyShortcuts::Quantised>(colour, alpha, mode,
                                                             [p](const auto& pen, int ia) { pen(p, ia); });
}

void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_pixel colour)
{
  const LICE_BitmapRows bm(dest);
  if (!bm.usable()) return;
  const LICE_pixel key = colour & 0xFFFFFFu;
  for (int y = 0; y < bm.height; ++y)
  {
    LICE_pixel* p = bm.row(y);
    for (int x = 0; x < bm.width; ++x)
    {
      const LICE_pixel rgb = p[x] & 0xFFFFFFu;
      p[x] = rgb == key ? rgb : (rgb | 0xFF000000u);
    }
  }
}

int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* coords)
{
  return LICE_BitmapCmpEx(a, b, 0xFFFFFFFFu, coords);
}

int LICE_BitmapCmpEx(LICE_IBitmap* a, LICE_IBitmap* b, LICE_pixel mask, int* coords)
{
  if (!a) return b ? -1 : 0;
  if (!b) return 1;
  const LICE_BitmapRows ra(a), rb(b);
  if (ra.width != rb.width) return rb.width - ra.width;
  if (ra.height != rb.height) return rb.height - ra.height;
  // Same size but one without storage (or both empty): no pixel can differ.
  const bool comparable = ra.usable() && rb.usable();

  if (coords)
  {
    int x0 = ra.width, y0 = ra.height, x1 = -1, y1 = -1;
    for (int y = 0; comparable && y < ra.height; ++y)
    {
      const LICE_pixel* pa = ra.row(y);
      const LICE_pixel* pb = rb.row(y);
      for (int x = 0; x < ra.width; ++x)
      {
        if (((pa[x] ^ pb[x]) & mask) == 0) continue;
        if (x < x0) x0 = x;
        if (x > x1) x1 = x;
        if (y < y0) y0 = y;
        y1 = y;
      }
    }
    if (x1 < 0)
    {
      coords[0] = coords[1] = coords[2] = coords[3] = 0;
      return 0;
    }
    coords[0] = x0;
    coords[1] = y0;
    coords[2] = x1 - x0 + 1;
    coords[3] = y1 - y0 + 1;
    return 1;
  }

  if (!comparable) return 0;
  for (int y = 0; y < ra.height; ++y)
  {
    const LICE_pixel* pa = ra.row(y);
    const LICE_pixel* pb = rb.row(y);
    if (mask == 0xFFFFFFFFu)
    {
      const int c = std::memcmp(pa, pb, size_t(ra.width) * 4);
      if (c) return c;
    }
    else
    {
      for (int x = 0; x < ra.width; ++x)
        if ((pa[x] ^ pb[x]) & mask) return 1;
    }
  }
  return 0;
}
