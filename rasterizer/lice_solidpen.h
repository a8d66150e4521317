#pragma once

// Pens of the solid-colour operations (vector primitives, single pixels): a solid colour bound
// to one blend formula, applied to single pixels at a weight. The drawing loops are templates on the pen type, so each formula gets its
// own inlined loop and the mode is looked at once per call. Internal to the rasteriser.

#include <cmath>
#include <initializer_list>

#include "rasterizer/lice_bitmap.h"
#include "rasterizer/lice_combine.h"

namespace lice_pen
{
// Formula class F with the colour's four channels; the weight varies per pixel. Anti-aliased
// edges hand out weights that round to 0; those pixels are skipped, because HSVAdjust is not
// the identity at weight 0.
template <class F>
struct Formula
{
  int r, g, b, a;
  explicit Formula(LICE_pixel c) : r(int(LICE_GETR(c))), g(int(LICE_GETG(c))), b(int(LICE_GETB(c))), a(int(LICE_GETA(c))) {}
  inline void operator()(LICE_pixel* p, int w) const
  {
    if (w > 0) F::doPix(reinterpret_cast<LICE_pixel_chan*>(p), r, g, b, a, w);
  }
};

// One of the fast whole-pixel mixers; its weight is fixed, so the argument is ignored.
template <class Fast>
struct Mixer
{
  LICE_pixel share;
  explicit Mixer(LICE_pixel c) : share(Fast::prepare(c)) {}
  inline void operator()(LICE_pixel* p, int) const { Fast::doPix(p, share); }
};

// Which Copy shortcuts an operation takes before falling back to the Copy formula.
enum class CopyShortcuts
{
  None,         // Copy always by _LICE_CombinePixelsCopyNoClamp (weights vary per pixel)
  FullAndHalf,  // weight 256 stores the colour, 128 uses _LICE_CombinePixelsHalfMixNoClamp
  Quantised,    // weights 256, 128, 64 and 192 by the fast mixers
  ExactOpacity  // opacity exactly 1, 0.5, 0.25 or 0.75 by the fast mixers, then FullAndHalf
};

// Calls draw(pen, ia) once with the pen for the mode's low byte and the opacity's weight ia,
// taking the Copy shortcuts S. Returns false, drawing nothing, when ia is not positive or the
// low byte is above 5.
template <CopyShortcuts S, class Draw>
inline bool withSolidPen(LICE_pixel colour, float alpha, int mode, Draw&& draw)
{
  const int ia = LICE_OpacityWeight(alpha);
  if (ia <= 0) return false;
  if constexpr (S != CopyShortcuts::None)
  {
    if ((mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY)
    {
      if constexpr (S == CopyShortcuts::ExactOpacity)
      {
        if (alpha == 0.5f) return draw(Mixer<_LICE_CombinePixelsHalfMix2FAST>(colour), ia), true;
        if (alpha == 0.25f) return draw(Mixer<_LICE_CombinePixelsQuarterMix2FAST>(colour), ia), true;
        if (alpha == 0.75f) return draw(Mixer<_LICE_CombinePixelsThreeQuarterMix2FAST>(colour), ia), true;
      }
      if (ia == 256) return draw(Mixer<_LICE_CombinePixelsClobberFAST>(colour), ia), true;
      if constexpr (S == CopyShortcuts::Quantised)
      {
        if (ia == 128) return draw(Mixer<_LICE_CombinePixelsHalfMix2FAST>(colour), ia), true;
        if (ia == 64) return draw(Mixer<_LICE_CombinePixelsQuarterMix2FAST>(colour), ia), true;
        if (ia == 192) return draw(Mixer<_LICE_CombinePixelsThreeQuarterMix2FAST>(colour), ia), true;
      }
      else
      {
        if (ia == 128) return draw(Formula<_LICE_CombinePixelsHalfMixNoClamp>(colour), ia), true;
      }
    }
  }
  return LICE_DispatchSolidMode(mode, [&](auto formula) { draw(Formula<decltype(formula)>(colour), ia); });
}

// An inclusive rectangle of pixels that drawing is confined to.
struct Box
{
  int l, t, r, b;
  bool empty() const { return l > r || t > b; }
};

inline Box bitmapBox(const LICE_BitmapRows& rows) { return Box{0, 0, rows.width - 1, rows.height - 1}; }

inline Box intersect(const Box& a, const Box& b)
{
  return Box{a.l > b.l ? a.l : b.l, a.t > b.t ? a.t : b.t, a.r < b.r ? a.r : b.r, a.b < b.b ? a.b : b.b};
}

// Floating-point coordinates beyond this magnitude (or not finite) are refused by the primitives:
// nothing that large can be placed on a bitmap, and converting it to int would be undefined.
constexpr double kMaxCoordinate = 1073741824.0;

inline bool sane(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate; }

// Horizontal run x0..x1 (inclusive, any order) of row y, clipped to box.
template <class Pen>
inline void spanX(const LICE_BitmapRows& rows, const Box& box, long long x0, long long x1, long long y, const Pen& pen,
                  int w)
{
  if (x0 > x1) { const long long t = x0; x0 = x1; x1 = t; }
  if (y < box.t || y > box.b) return;
  if (x0 < box.l) x0 = box.l;
  if (x1 > box.r) x1 = box.r;
  if (x0 > x1) return;
  LICE_pixel* p = rows.at(int(x0), int(y));
  for (long long n = x1 - x0; n >= 0; --n) pen(p++, w);
}

// Vertical run y0..y1 (inclusive, any order) of column x, clipped to box.
template <class Pen>
inline void spanY(const LICE_BitmapRows& rows, const Box& box, long long x, long long y0, long long y1, const Pen& pen,
                  int w)
{
  if (y0 > y1) { const long long t = y0; y0 = y1; y1 = t; }
  if (x < box.l || x > box.r) return;
  if (y0 < box.t) y0 = box.t;
  if (y1 > box.b) y1 = box.b;
  if (y0 > y1) return;
  LICE_pixel* p = rows.at(int(x), int(y0));
  const ptrdiff_t down = rows.down();
  for (long long n = y1 - y0; n >= 0; --n, p += down) pen(p, w);
}

// One pixel, when it lies in box.
template <class Pen>
inline void plot(const LICE_BitmapRows& rows, const Box& box, long long x, long long y, const Pen& pen, int w)
{
  if (x >= box.l && x <= box.r && y >= box.t && y <= box.b) pen(rows.at(int(x), int(y)), w);
}

// An 8-bit coverage mask (w x h, rows span bytes apart) at (x, y), each mask value m turned into
// a weight by Weigh (see CoverageWeight and FullWeight), clipped to box.
template <class Weigh, class Pen>
inline void mask(const LICE_BitmapRows& rows, const Box& box, long long x, long long y, const LICE_pixel_chan* alphas,
                 int w, long long span, int h, const Pen& pen, int ia)
{
  const long long i0 = box.l - x > 0 ? box.l - x : 0, i1 = box.r - x < w - 1 ? box.r - x : w - 1;
  const long long j0 = box.t - y > 0 ? box.t - y : 0, j1 = box.b - y < h - 1 ? box.b - y : h - 1;
  if (i0 > i1) return;
  for (long long j = j0; j <= j1; ++j)
  {
    const LICE_pixel_chan* m = alphas + j * span;
    LICE_pixel* p = rows.at(int(x + i0), int(y + j));
    for (long long i = i0; i <= i1; ++i, ++p)
      if (m[i]) pen(p, Weigh::weight(ia, m[i]));
  }
}

// Mask weights: coverage m scales the weight to ia * m / 255.
struct CoverageWeight
{
  static inline int weight(int ia, int m) { return (ia * m) / 255; }
};

// Mask weights of a one-bit mask: any non-zero byte takes the whole weight.
struct FullWeight
{
  static inline int weight(int ia, int) { return ia; }
};
} // namespace lice_pen
