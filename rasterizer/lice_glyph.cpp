#include "rasterizer/lice_glyph.h"

#include "rasterizer/lice_solidpen.h"

namespace
{
template <class Weigh, lice_pen::CopyShortcuts S>
void drawMask(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas, int glyph_w,
              int glyph_span, int glyph_h, float alpha, int mode)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable() || !alphas || glyph_w <= 0 || glyph_h <= 0 || glyph_span < glyph_w) return;
  lice_pen::withSolidPen<S>(colour, alpha, mode, [&](const auto& pen, int ia) {
    lice_pen::mask<Weigh>(rows, lice_pen::bitmapBox(rows), x, y, alphas, glyph_w, glyph_span, glyph_h, pen, ia);
  });
}
} // namespace

void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha, int mode)
{
  drawMask<lice_pen::CoverageWeight, lice_pen::CopyShortcuts::None>(dest, x, y, colour, alphas, glyph_w, glyph_w,
                                                                    glyph_h, alpha, mode);
}

void LICE_DrawGlyphEx(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas,
                      int glyph_w, int glyph_span, int glyph_h, float alpha, int mode)
{
  drawMask<lice_pen::CoverageWeight, lice_pen::CopyShortcuts::None>(dest, x, y, colour, alphas, glyph_w, glyph_span,
                                                                    glyph_h, alpha, mode);
}

void LICE_DrawMonoGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas,
                        int glyph_w, int glyph_span, int glyph_h, float alpha, int mode)
{
  drawMask<lice_pen::FullWeight, lice_pen::CopyShortcuts::Quantised>(dest, x, y, colour, alphas, glyph_w, glyph_span,
                                                                     glyph_h, alpha, mode);
}
