#pragma once

// Coverage masks drawn in a solid colour (glyphs, small anti-aliased shapes).

#include "rasterizer/lice_bitmap.h"

// Draws the 8-bit coverage mask alphas (glyph_w x glyph_h, rows glyph_w bytes apart) with its
// top-left corner at (x, y): every pixel under a non-zero mask value m is combined with colour
// at weight ia * m / 255 (ia the opacity's weight), by the formula of the mode's low byte (Copy
// as _LICE_CombinePixelsCopyNoClamp). Clipped to the bitmap; nothing for a null bitmap or mask,
// a non-positive size or weight, or a low byte above 5.
void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha, int mode);

// LICE_DrawGlyph for a mask whose rows are glyph_span bytes apart (glyph_span >= glyph_w), so
// that a mask can be drawn out of a larger store or a bitmap's channel. Nothing when glyph_span
// is below glyph_w.
void LICE_DrawGlyphEx(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas,
                      int glyph_w, int glyph_span, int glyph_h, float alpha, int mode);

// Draws a one-bit mask (glyph_w x glyph_h bytes, rows glyph_span bytes apart): every pixel under
// a non-zero byte is combined with colour at the full weight of the opacity, the others are left
// alone. Copy at weights 256, 192, 128 and 64 takes the fast mixers. Clipped to the bitmap;
// nothing for a null bitmap or mask, a non-positive size or weight, glyph_span below glyph_w, or
// a low byte above 5.
void LICE_DrawMonoGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel colour, const LICE_pixel_chan* alphas,
                        int glyph_w, int glyph_span, int glyph_h, float alpha, int mode);
