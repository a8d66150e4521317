#pragma once

#include "rasterizer/lice_bitmap.h"

// Whole-bitmap and single-pixel operations. A null bitmap, or one without bits, makes each of
// them do nothing (or return the stated null result).

// Sets every pixel of the width x height area to colour.
void LICE_Clear(LICE_IBitmap* dest, LICE_pixel colour);

// Within the rectangle clipped to the bitmap, every pixel p becomes (p & mask) | orbits.
void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask = 0, LICE_pixel orbits = 0);

// The pixel at (x, y); 0 outside the bitmap.
LICE_pixel LICE_GetPixel(LICE_IBitmap* bm, int x, int y);

// Combines colour into the pixel at (x, y) with the weight of alpha and the formula of the
// mode's low byte (Copy at weights 64, 128, 192 and 256 by the fast mixers). Nothing outside the
// bitmap, for weights that are not positive or for low bytes above 5.
void LICE_PutPixel(LICE_IBitmap* bm, int x, int y, LICE_pixel colour, float alpha, int mode);

// Pixels whose low 24 bits equal colour's become fully transparent; all others opaque.
void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_pixel colour);

// LICE_BitmapCmpEx(a, b, 0xFFFFFFFF, coords).
int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* coords = nullptr);

// Compares two bitmaps through mask; 0 when equal. Null bitmaps: both 0, a only 1, b only -1.
// Different sizes: b's width - a's width, else b's height - a's height. With coords, writes the
// bounding box of the differing pixels as x, y, w, h (zeros when none) and returns 1 or 0.
// Without coords and a full mask, returns the signed byte comparison of the first differing row;
// with another mask, 1 at the first difference.
int LICE_BitmapCmpEx(LICE_IBitmap* a, LICE_IBitmap* b, LICE_pixel mask, int* coords = nullptr);
