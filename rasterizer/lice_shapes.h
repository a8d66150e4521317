#pragma once

// Rectangle outlines, plain, bordered and with rounded corners. Colour, opacity and mode work as
// for lines (lice_line.h); everything is clipped to the bitmap.

#include "rasterizer/lice_bitmap.h"

// Four non-anti-aliased LICE_Lines (x, y)->(x + w, y)->(x + w, y + h)->(x, y + h)->(x, y): the
// outline covers (w + 1) x (h + 1) pixels and each corner pixel is drawn twice (visible below
// full opacity or with modes other than Copy). Sums beyond the int range saturate.
void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel colour, float alpha, int mode);

// LICE_FillRect(x + 1, y + 1, w - 1, h - 1) in bgcolour, then LICE_DrawRect(x, y, w, h) in
// fgcolour, both with the same opacity and mode.
void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel bgcolour, LICE_pixel fgcolour,
                       float alpha, int mode);

// With r = floor(min(cornerradius, w / 2, h / 2)): LICE_DrawRect of the truncated rectangle when
// cornerradius <= 0 or r < 2; otherwise four straight sides and four quarter LICE_Arcs of radius
// r centred r inside each corner (aa applies to the arcs). Nothing for coordinates that are not
// finite or exceed 2^30 pixels.
void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel colour,
                    float alpha, int mode, bool aa);
