#pragma once

// The set-up shared by the blits that walk the source along steps (rotated, delta and transform
// blits): the source box samples may come from, destination clipping that moves the walk along,
// 16.16 steps and the choice of formula. Internal to the rasteriser.

#include <cstdint>

#include "rasterizer/lice_bitmap.h"

namespace lice_detail
{
// Source box the samples may come from, in source pixels (inside the bitmap once clipped).
struct SourceBox
{
  int64_t L, T, W, H;
};

// A walk in source pixels per destination step: start (s, t), per-column steps (dsdx, dtdx),
// per-row steps (dsdy, dtdy) and the per-row change of the column steps (dsdxdy, dtdxdy); the
// opacity (1.0 = full) and its steps are used only by the per-pixel-opacity variant.
struct SourceWalk
{
  double s, t;
  double dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  double a, dadx, dady, dadxdy;
};

// With cliptosourcerect the part of (srcx, srcy, srcw, srch) inside the source, otherwise the
// whole source; W or H is not positive when nothing is left.
SourceBox walkSourceBox(const LICE_BitmapRows& s, bool cliptosourcerect, double srcx, double srcy, double srcw,
                        double srch);

// Draws the dw x dh destination pixels from (dx, dy), clipped to the destination (the walk's start
// moves to the first visible pixel), sampling inside box by the formula of (mode & 0x100FF), with
// the opacity alpha or, withAlpha, the walk's own. Nothing for empty rectangles or boxes, bitmaps
// without bits, non-finite walks or modes that draw nothing.
void drawWalk(const LICE_BitmapRows& d, const LICE_BitmapRows& s, int64_t dx, int64_t dy, int64_t dw, int64_t dh,
              SourceWalk w, const SourceBox& box, bool withAlpha, float alpha, int mode);
} // namespace lice_detail
