#include "rasterizer/lice_deltablit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "rasterizer/lice_blit_loops.h"

namespace
{
using lice_detail::toIntRange;

// Source box the samples may come from, in source pixels (already inside the bitmap).
struct Box
{
  int64_t L, T, W, H;
};

// Caller-given walk in source pixels per destination step.
struct Walk
{
  double s, t;
  double dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  // Opacity (1.0 = full) and its steps; used only by the alpha variant.
  double a, dadx, dady, dadxdy;
};

Box clipBox(const LICE_BitmapRows& s, bool cliptosourcerect, double srcx, double srcy, double srcw, double srch)
{
  double left = 0, top = 0, right = s.width, bottom = s.height;
  if (cliptosourcerect)
  {
    left = std::max(srcx, 0.0);
    top = std::max(srcy, 0.0);
    right = std::min(srcx + srcw, double(s.width));
    bottom = std::min(srcy + srch, double(s.height));
  }
  Box b;
  b.L = std::max<int64_t>(0, toIntRange(left));
  b.T = std::max<int64_t>(0, toIntRange(top));
  b.W = std::min<int64_t>(toIntRange(right), s.width) - b.L;
  b.H = std::min<int64_t>(toIntRange(bottom), s.height) - b.T;
  return b;
}

bool finiteWalk(const Walk& w)
{
  for (double v : {w.s, w.t, w.dsdx, w.dtdx, w.dsdy, w.dtdy, w.dsdxdy, w.dtdxdy, w.a, w.dadx, w.dady, w.dadxdy})
    if (!std::isfinite(v)) return false;
  return true;
}

// Clips the destination rectangle, moving the walk's start to the first visible pixel, and runs
// the delta loop (with per-pixel opacity when withAlpha).
void drawWalk(const LICE_BitmapRows& d, const LICE_BitmapRows& s, int64_t dx, int64_t dy, int64_t dw, int64_t dh,
              Walk w, const Box& box, bool withAlpha, float alpha, int mode)
{
  if (dw <= 0 || dh <= 0 || !finiteWalk(w) || !d.usable() || !s.usable()) return;
  if (box.W <= 0 || box.H <= 0) return;
  if (dy < 0)
  {
    const double m = double(-dy);
    w.s += m * w.dsdy;
    w.t += m * w.dtdy;
    w.dsdx += m * w.dsdxdy;
    w.dtdx += m * w.dtdxdy;
    w.a += m * w.dady;
    w.dadx += m * w.dadxdy;
    dh += dy;
    dy = 0;
  }
  if (dx < 0)
  {
    const double k = double(-dx);
    w.s += k * w.dsdx;
    w.t += k * w.dtdx;
    w.dsdy += k * w.dsdxdy;
    w.dtdy += k * w.dtdxdy;
    w.a += k * w.dadx;
    w.dady += k * w.dadxdy;
    dw += dx;
    dx = 0;
  }
  if (dw <= 0 || dh <= 0 || dx >= d.width || dy >= d.height) return;
  dw = std::min<int64_t>(dw, d.width - dx);
  dh = std::min<int64_t>(dh, d.height - dy);

  // With a varying opacity the weight is never a fixed 256, so the dispatch is keyed as partial.
  const int ia = withAlpha ? 128 : LICE_OpacityWeight(alpha);
  if (ia == 0) return;
  _LICE_Template_Blit3::DoPix doPix = nullptr;
  if (!LICE_DispatchImageMode(mode, ia, [&](auto cls) { doPix = &decltype(cls)::doPix; })) return;

  const LICE_DestRect dr{d.at(int(dx), int(dy)), d.down(), int(dw), int(dh)};
  const LICE_SourceRegion reg{s.at(int(box.L), int(box.T)), s.down(), int(box.W), int(box.H)};
  _LICE_Template_Blit3::Steps st;
  st.s = toIntRange((w.s - double(box.L)) * 65536.0);
  st.t = toIntRange((w.t - double(box.T)) * 65536.0);
  st.dsdx = toIntRange(w.dsdx * 65536.0);
  st.dtdx = toIntRange(w.dtdx * 65536.0);
  st.dsdy = toIntRange(w.dsdy * 65536.0);
  st.dtdy = toIntRange(w.dtdy * 65536.0);
  st.dsdxdy = toIntRange(w.dsdxdy * 65536.0);
  st.dtdxdy = toIntRange(w.dtdxdy * 65536.0);
  const bool bilinear = (mode & LICE_BLIT_FILTER_MASK) == LICE_BLIT_FILTER_BILINEAR;
  if (!withAlpha)
  {
    _LICE_Template_Blit3::deltaBlit(dr, reg, st, bilinear, ia, doPix);
    return;
  }
  // Opacity in weight units (256 = full) as 16.16.
  constexpr double kAlphaScale = 256.0 * 65536.0;
  _LICE_Template_Blit4::AlphaSteps al;
  al.a = toIntRange(w.a * kAlphaScale);
  al.dadx = toIntRange(w.dadx * kAlphaScale);
  al.dady = toIntRange(w.dady * kAlphaScale);
  al.dadxdy = toIntRange(w.dadxdy * kAlphaScale);
  _LICE_Template_Blit4::deltaBlitAlpha(dr, reg, st, al, bilinear, doPix);
}

// One lattice point of a transform grid.
struct GridPoint
{
  double x, y, a;
};

// Draws every lattice cell of a transform grid with the delta loop; Point(i) reads point i.
template <class Point>
void drawGrid(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, int div_w, int div_h,
              bool withAlpha, float alpha, int mode, Point point)
{
  if (!dest || !src || div_w < 2 || div_h < 2 || dstw <= 0 || dsth <= 0) return;
  const LICE_BitmapRows d(dest), s(src);
  const Box box{0, 0, s.width, s.height};
  for (int j = 0; j + 1 < div_h; ++j)
  {
    const int64_t y0 = dsty + int64_t(dsth) * j / (div_h - 1), y1 = dsty + int64_t(dsth) * (j + 1) / (div_h - 1);
    if (y1 <= y0) continue;
    for (int i = 0; i + 1 < div_w; ++i)
    {
      const int64_t x0 = dstx + int64_t(dstw) * i / (div_w - 1), x1 = dstx + int64_t(dstw) * (i + 1) / (div_w - 1);
      if (x1 <= x0) continue;
      const GridPoint p00 = point(size_t(j) * size_t(div_w) + size_t(i)), p01 = point(size_t(j) * size_t(div_w) + size_t(i) + 1);
      const GridPoint p10 = point(size_t(j + 1) * size_t(div_w) + size_t(i));
      const GridPoint p11 = point(size_t(j + 1) * size_t(div_w) + size_t(i) + 1);
      const double cw = double(x1 - x0), ch = double(y1 - y0);
      Walk w;
      w.s = p00.x;
      w.t = p00.y;
      w.dsdx = (p01.x - p00.x) / cw;
      w.dtdx = (p01.y - p00.y) / cw;
      w.dsdy = (p10.x - p00.x) / ch;
      w.dtdy = (p10.y - p00.y) / ch;
      w.dsdxdy = (p11.x - p10.x - p01.x + p00.x) / (cw * ch);
      w.dtdxdy = (p11.y - p10.y - p01.y + p00.y) / (cw * ch);
      w.a = p00.a;
      w.dadx = (p01.a - p00.a) / cw;
      w.dady = (p10.a - p00.a) / ch;
      w.dadxdy = (p11.a - p10.a - p01.a + p00.a) / (cw * ch);
      drawWalk(d, s, x0, y0, x1 - x0, y1 - y0, w, box, withAlpha, alpha, mode);
    }
  }
}
} // namespace

void LICE_DeltaBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                    double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode)
{
  if (!dest || !src) return;
  const LICE_BitmapRows d(dest), s(src);
  const Walk w{srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, 1.0, 0.0, 0.0, 0.0};
  drawWalk(d, s, dstx, dsty, dstw, dsth, w, clipBox(s, cliptosourcerect, srcx, srcy, srcw, srch), false, alpha,
           mode);
}

void LICE_DeltaBlitAlpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                         float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy,
                         double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode,
                         double dadx, double dady, double dadxdy)
{
  if (std::fabs(dadx) < 0.0001 && std::fabs(dady) < 0.0001 && std::fabs(dadxdy) < 0.0001)
  {
    LICE_DeltaBlit(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy,
                   cliptosourcerect, alpha, mode);
    return;
  }
  if (!dest || !src) return;
  const LICE_BitmapRows d(dest), s(src);
  const Walk w{srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, alpha, dadx, dady, dadxdy};
  drawWalk(d, s, dstx, dsty, dstw, dsth, w, clipBox(s, cliptosourcerect, srcx, srcy, srcw, srch), true, alpha,
           mode);
}

void LICE_TransformBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const float* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  if (!srcpoints) return;
  drawGrid(dest, src, dstx, dsty, dstw, dsth, div_w, div_h, false, alpha, mode, [srcpoints](size_t i) {
    return GridPoint{srcpoints[2 * i], srcpoints[2 * i + 1], 1.0};
  });
}

void LICE_TransformBlit2(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                         const double* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  if (!srcpoints) return;
  drawGrid(dest, src, dstx, dsty, dstw, dsth, div_w, div_h, false, alpha, mode, [srcpoints](size_t i) {
    return GridPoint{srcpoints[2 * i], srcpoints[2 * i + 1], 1.0};
  });
}

void LICE_TransformBlit2Alpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                              const double* srcpoints, int div_w, int div_h, int mode)
{
  if (!srcpoints) return;
  drawGrid(dest, src, dstx, dsty, dstw, dsth, div_w, div_h, true, 1.0f, mode, [srcpoints](size_t i) {
    return GridPoint{srcpoints[3 * i], srcpoints[3 * i + 1], srcpoints[3 * i + 2]};
  });
}
