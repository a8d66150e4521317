#include "rasterizer/lice_blit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "rasterizer/lice_blit_loops.h"
#include "rasterizer/lice_deltawalk.h"

namespace
{
using lice_detail::toIntRange;

// How the memory of a destination rectangle and a source rectangle of the same size meet.
struct Overlap
{
  bool any;   // some bytes are shared
  bool ahead; // shared, and the destination lies ahead: copying in the usual order would read
              // pixels already written
};

Overlap overlapOf(LICE_DestRect d, const LICE_pixel* src, ptrdiff_t srcDown)
{
  auto span = [](const LICE_pixel* p0, ptrdiff_t down, int w, int h, uintptr_t& lo, uintptr_t& hi) {
    const LICE_pixel* last = p0 + ptrdiff_t(h - 1) * down;
    lo = reinterpret_cast<uintptr_t>(down >= 0 ? p0 : last);
    hi = reinterpret_cast<uintptr_t>((down >= 0 ? last : p0) + w);
  };
  uintptr_t dlo, dhi, slo, shi;
  span(d.row0, d.down, d.w, d.h, dlo, dhi);
  span(src, srcDown, d.w, d.h, slo, shi);
  const bool any = dlo < shi && slo < dhi;
  return {any, any && reinterpret_cast<uintptr_t>(d.row0) > reinterpret_cast<uintptr_t>(src)};
}

// Calls fn(destPixel, srcPixel) for every pixel pair in increasing memory order, or decreasing
// when `backward`, so that an overlapping source is read before it is overwritten.
template <class Fn>
void visitPixels(LICE_DestRect d, const LICE_pixel* src, ptrdiff_t srcDown, bool backward, Fn fn)
{
  LICE_VisitRows(d, src, srcDown, backward, [&](LICE_pixel* dr, const LICE_pixel* sr) {
    if (backward)
      for (int x = d.w - 1; x >= 0; --x) fn(dr + x, sr + x);
    else
      for (int x = 0; x < d.w; ++x) fn(dr + x, sr + x);
  });
}

template <class Mixer>
void fillFast(LICE_DestRect d, LICE_pixel colour)
{
  const LICE_pixel share = Mixer::prepare(colour);
  LICE_pixel* row = d.row0;
  for (int y = 0; y < d.h; ++y, row += d.down)
    for (int x = 0; x < d.w; ++x) Mixer::doPix(row + x, share);
}

template <class T>
void fillFormula(LICE_DestRect d, int r, int g, int b, int a, int ia)
{
  LICE_pixel* row = d.row0;
  for (int y = 0; y < d.h; ++y, row += d.down)
    for (int x = 0; x < d.w; ++x) T::doPix(lice_detail::chans(row + x), r, g, b, a, ia);
}

// Plain scaled copy (or half mix with Mixer = _LICE_CombinePixelsHalfMixFAST) of nearest samples.
template <class Mixer>
void scaleCopyNearest(LICE_DestRect d, LICE_SourceRegion s, int64_t ix0, int64_t iy, int64_t idx,
                      int64_t idy)
{
  LICE_pixel* dr = d.row0;
  for (int y = 0; y < d.h; ++y, dr += d.down, iy += idy)
  {
    const int64_t sy = iy >> 16;
    if (uint64_t(sy) >= uint64_t(s.H)) continue;
    const LICE_pixel* sr = s.at(0, sy);
    int64_t ix = ix0;
    for (int x = 0; x < d.w; ++x, ix += idx)
    {
      const int64_t sx = ix >> 16;
      if (uint64_t(sx) < uint64_t(s.W)) Mixer::doPix(dr + x, Mixer::prepare(sr[sx]));
    }
  }
}

// A negative destination size walks the source backwards: the rectangle is turned round so that
// its size is positive and the source runs from its other end the other way.
void mirrorNegative(int64_t& dpos, int64_t& dsize, double& spos, double& ssize)
{
  if (dsize >= 0) return;
  dpos += dsize;
  dsize = -dsize;
  spos += ssize;
  ssize = -ssize;
}

bool allFinite(std::initializer_list<double> vs)
{
  for (double v : vs)
    if (!std::isfinite(v)) return false;
  return true;
}
} // namespace

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  const LICE_BitmapRows d(dest), s(src);

  // Clipping in 64 bits: hostile coordinates near the int limits must not overflow.
  int64_t left = 0, top = 0, right = s.width, bottom = s.height;
  if (srcrect)
  {
    left = srcrect->left;
    top = srcrect->top;
    right = srcrect->right;
    bottom = srcrect->bottom;
  }
  int64_t dx = dstx, dy = dsty;
  if (left < 0)
  {
    dx -= left;
    left = 0;
  }
  if (top < 0)
  {
    dy -= top;
    top = 0;
  }
  right = std::min<int64_t>(right, s.width);
  bottom = std::min<int64_t>(bottom, s.height);
  if (dx < 0)
  {
    left -= dx;
    dx = 0;
  }
  if (dy < 0)
  {
    top -= dy;
    dy = 0;
  }
  if (dx >= d.width || dy >= d.height || left >= right || top >= bottom) return;
  const int64_t cw = std::min<int64_t>(right, left + d.width - dx) - left;
  const int64_t ch = std::min<int64_t>(bottom, top + d.height - dy) - top;
  if (cw <= 0 || ch <= 0 || !d.usable() || !s.usable()) return;

  const LICE_DestRect dr{d.at(int(dx), int(dy)), d.down(), int(cw), int(ch)};
  const LICE_pixel* sp = s.at(int(left), int(top));
  const ptrdiff_t sdown = s.down();
  const Overlap overlap = overlapOf(dr, sp, sdown);
  const bool backward = overlap.ahead;

  if ((mode & LICE_BLIT_MODE_CHANCOPY) == LICE_BLIT_MODE_CHANCOPY)
  {
    const int from = mode & 3, to = (mode >> 2) & 3;
    visitPixels(dr, sp, sdown, backward, [from, to](LICE_pixel* dp, const LICE_pixel* spx) {
      lice_detail::chans(dp)[to] = lice_detail::chans(spx)[from];
    });
    return;
  }

  if ((mode & LICE_BLIT_IMAGE_KEY_MASK) != 0 || (alpha != 1.0f && alpha != 0.5f))
  {
    const int ia = LICE_OpacityWeight(alpha);
    if (ia == 0) return;
    LICE_DispatchImageMode(mode, ia, [&](auto cls) {
      _LICE_Template_Blit2<decltype(cls)>::blit(dr, sp, sdown, ia, backward);
    });
    return;
  }

  if (alpha == 1.0f)
  {
    const size_t bytes = size_t(dr.w) * sizeof(LICE_pixel);
    if (overlap.any)
      LICE_VisitRows(dr, sp, sdown, backward,
                     [bytes](LICE_pixel* drow, const LICE_pixel* srow) { std::memmove(drow, srow, bytes); });
    else
      LICE_VisitRows(dr, sp, sdown, false, [&dr](LICE_pixel* drow, const LICE_pixel* srow) {
        lice_simd::copyDisjointRow(drow, srow, dr.w);
      });
    return;
  }

  visitPixels(dr, sp, sdown, backward, [](LICE_pixel* dp, const LICE_pixel* spx) {
    _LICE_CombinePixelsHalfMixFAST::doPix(dp, _LICE_CombinePixelsHalfMixFAST::prepare(*spx));
  });
}

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode)
{
  // The right and bottom edges are held to the int range; everything beyond is clipped anyway.
  auto edge = [](int64_t v) { return int(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX)); };
  const RECT r{srcx, srcy, edge(int64_t(srcx) + srcw), edge(int64_t(srcy) + srch)};
  LICE_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  if (!allFinite({srcx, srcy, srcw, srch})) return;
  const int filter = mode & LICE_BLIT_FILTER_MASK;

  if (dstw > 0 && dsth > 0 && std::fabs(double(srcw) - dstw) < 0.001 && std::fabs(double(srch) - dsth) < 0.001 &&
      !(filter == LICE_BLIT_FILTER_BILINEAR &&
        (srcx - std::floor(double(srcx)) >= 0.03 || srcy - std::floor(double(srcy)) >= 0.03)))
  {
    const int64_t l = toIntRange(double(srcx) + 0.5), t = toIntRange(double(srcy) + 0.5);
    const RECT r{int(l), int(t), int(std::min<int64_t>(l + dstw, INT32_MAX)), int(std::min<int64_t>(t + dsth, INT32_MAX))};
    LICE_Blit(dest, src, dstx, dsty, &r, alpha, mode);
    return;
  }

  const LICE_BitmapRows d(dest), s(src);
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  mirrorNegative(dx, dw, sx, sw);
  mirrorNegative(dy, dh, sy, sh);
  const double xadv = float(sw) / float(dw), yadv = float(sh) / float(dh);
  if (dx < 0)
  {
    sx -= double(dx) * xadv;
    dw += dx;
    dx = 0;
  }
  if (dy < 0)
  {
    sy -= double(dy) * yadv;
    dh += dy;
    dy = 0;
  }
  if (dw <= 0 || dh <= 0 || dx >= d.width || dy >= d.height) return;
  dw = std::min<int64_t>(dw, d.width - dx);
  dh = std::min<int64_t>(dh, d.height - dy);

  // Steps and positions are 16.16 ints; a set-up that does not fit draws nothing rather than
  // wrapping to some unrelated position.
  const double fidx = std::floor(xadv * 65536.0), fidy = std::floor(yadv * 65536.0);
  const double ficurx = std::floor(sx * 65536.0), ficury = std::floor(sy * 65536.0);
  auto fits = [](double v) { return v >= -2147483648.0 && v <= 2147483647.0; };
  if (!fits(fidx) || !fits(fidy) || !fits(ficurx) || !fits(ficury)) return;
  const int64_t idx = int64_t(fidx), idy = int64_t(fidy);
  int64_t icurx = int64_t(ficurx), icury = int64_t(ficury);

  if (idx > 0)
  {
    if (icurx < 0)
    {
      const int64_t n = (idx - 1 - icurx) / idx;
      dw -= n;
      dx += n;
      icurx += n * idx;
    }
    if ((dw - 1) * idx + icurx >= int64_t(s.width) * 65536)
      dw = std::min<int64_t>(dw, (int64_t(s.width - 1) * 65536 - icurx) / idx);
  }
  if (idy > 0)
  {
    if (icury < 0)
    {
      const int64_t n = (idy - 1 - icury) / idy;
      dh -= n;
      dy += n;
      icury += n * idy;
    }
    if ((dh - 1) * idy + icury >= int64_t(s.height) * 65536)
      dh = std::min<int64_t>(dh, (int64_t(s.height - 1) * 65536 - icury) / idy);
  }
  if (dw <= 0 || dh <= 0 || !d.usable() || !s.usable()) return;

  // The region starts no further left or up than the bitmap itself: a mirrored walk may start
  // before it, and its samples there are then skipped instead of read.
  const int64_t sx0 = std::max<int64_t>(0, (icurx + (idx < 0 ? dw * idx : 0)) / 65536);
  const int64_t sy0 = std::max<int64_t>(0, (icury + (idy < 0 ? dh * idy : 0)) / 65536);
  const int64_t rightEdge = std::min<int64_t>(s.width, toIntRange(std::max(sw, 0.0) + sx + 0.999999));
  const int64_t bottomEdge = std::min<int64_t>(s.height, toIntRange(std::max(sh, 0.0) + sy + 0.999999));
  const int64_t W = rightEdge - sx0, H = bottomEdge - sy0;
  if (W <= 0 || H <= 0) return;

  const LICE_DestRect dr{d.at(int(dx), int(dy)), d.down(), int(dw), int(dh)};
  const LICE_SourceRegion reg{s.at(int(sx0), int(sy0)), s.down(), int(W), int(H)};
  const int64_t ix = icurx - sx0 * 65536, iy = icury - sy0 * 65536;
  const int ia = LICE_OpacityWeight(alpha);

  if ((mode & (LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_MASK | LICE_BLIT_MODE_MASK)) == 0)
  {
    if (ia == 256)
    {
      scaleCopyNearest<_LICE_CombinePixelsClobberFAST>(dr, reg, ix, iy, idx, idy);
      return;
    }
    if (ia == 128)
    {
      scaleCopyNearest<_LICE_CombinePixelsHalfMixFAST>(dr, reg, ix, iy, idx, idy);
      return;
    }
  }
  if (ia == 0) return;

  if (filter != LICE_BLIT_FILTER_BILINEAR || xadv < 1.7 || yadv < 1.7)
  {
    const bool bilinear = filter == LICE_BLIT_FILTER_BILINEAR;
    LICE_DispatchImageMode(mode, ia, [&](auto cls) {
      if (bilinear)
        _LICE_Template_Blit2<decltype(cls)>::template scaleBlit<true>(dr, reg, ix, iy, idx, idy, ia);
      else
        _LICE_Template_Blit2<decltype(cls)>::template scaleBlit<false>(dr, reg, ix, iy, idx, idy, ia);
    });
    return;
  }

  const bool wide = std::max(idx, idy) > 0x30000;
  LICE_DispatchImageMode(mode, ia, [&](auto cls) {
    if (wide) _LICE_Template_Blit2<decltype(cls)>::template scaleBlitFilterDown<5>(dr, reg, ix, iy, idx, idy, ia);
    else _LICE_Template_Blit2<decltype(cls)>::template scaleBlitFilterDown<3>(dr, reg, ix, iy, idx, idy, ia);
  });
}

void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent, float rotycent)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  if (!allFinite({srcx, srcy, srcw, srch, angle, rotxcent, rotycent})) return;
  const LICE_BitmapRows d(dest), s(src);
  const lice_detail::SourceBox box = lice_detail::walkSourceBox(s, cliptosourcerect, srcx, srcy, srcw, srch);

  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  mirrorNegative(dx, dw, sx, sw);
  mirrorNegative(dy, dh, sy, sh);

  const double c = std::cos(double(angle)), sn = std::sin(double(angle));
  const double xsc = sw / double(dw), ysc = sh / double(dh);
  const double dsdx = xsc * c, dtdy = ysc * c, dsdy = xsc * sn, dtdx = ysc * sn;
  sx -= 0.5 * ((double(dw) * dsdx + double(dh) * dsdy) - sw) - rotxcent;
  sy -= 0.5 * ((double(dh) * dtdy - double(dw) * dtdx) - sh) - rotycent;

  // Rotation turns the source's t axis against the destination's x axis.
  const lice_detail::SourceWalk w{sx, sy, dsdx, -dtdx, dsdy, dtdy, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0};
  lice_detail::drawWalk(d, s, dx, dy, dw, dh, w, box, false, alpha, mode);
}

void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel colour, float alpha, int mode)
{
  if (!dest) return;
  if (mode & LICE_BLIT_USE_ALPHA) alpha *= float(LICE_GETA(colour)) / 255.0f;
  const LICE_BitmapRows d(dest);

  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!d.clip(cx, cy, cw, ch) || alpha == 0.0f) return;
  const LICE_DestRect dr{d.at(int(cx), int(cy)), d.down(), int(cw), int(ch)};

  const int ia = LICE_OpacityWeight(alpha);
  if (ia == 0) return;
  const int r = int(LICE_GETR(colour)), g = int(LICE_GETG(colour)), b = int(LICE_GETB(colour));
  const int lowByte = mode & LICE_BLIT_MODE_MASK;

  if (lowByte == LICE_BLIT_MODE_COPY)
  {
    switch (ia)
    {
      case 64: fillFast<_LICE_CombinePixelsQuarterMix2FAST>(dr, colour); return;
      case 128: fillFast<_LICE_CombinePixelsHalfMix2FAST>(dr, colour); return;
      case 192: fillFast<_LICE_CombinePixelsThreeQuarterMix2FAST>(dr, colour); return;
      case 256: fillFast<_LICE_CombinePixelsClobberFAST>(dr, colour); return;
      default: if (ia < 0) return; break;
    }
    fillFormula<_LICE_CombinePixelsCopyNoClamp>(dr, r, g, b, ia, ia);
    return;
  }
  // HSVAdjust stores its alpha argument as the new alpha byte: a full weight of 256 would wrap
  // to a transparent 0, so it is held to 255 there. The other formulas take it unchanged.
  const int a = lowByte == LICE_BLIT_MODE_HSVADJ ? std::min(ia, 255) : ia;
  LICE_DispatchSolidMode(mode, [&](auto cls) { fillFormula<decltype(cls)>(dr, r, g, b, a, ia); });
}

void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  LICE_Blit(dest, src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
}
