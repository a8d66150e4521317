#include "rasterizer/lice_glyph.h"

#include "rasterizer/lice_solidpen.h"

void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha, int mode)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable() || !alphas || glyph_w <= 0 || glyph_h <= 0) return;
  lice_pen::withSolidPen<lice_pen::CopyShortcuts::None>(colour, alpha, mode, [&](const auto& pen, int ia) {
    lice_pen::mask(rows, lice_pen::bitmapBox(rows), x, y, alphas, glyph_w, glyph_h, pen, ia);
  });
}
