#include "rasterizer/lice_deltablit.h"

#include <cmath>
#include <cstdint>

#include "rasterizer/lice_deltawalk.h"

namespace
{
using lice_detail::drawWalk;
using lice_detail::SourceBox;
using lice_detail::SourceWalk;
using lice_detail::walkSourceBox;

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
  const SourceBox box{0, 0, s.width, s.height};
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
      SourceWalk w;
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
  const SourceWalk w{srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, 1.0, 0.0, 0.0, 0.0};
  drawWalk(d, s, dstx, dsty, dstw, dsth, w, walkSourceBox(s, cliptosourcerect, srcx, srcy, srcw, srch), false, alpha,
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
  const SourceWalk w{srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, alpha, dadx, dady, dadxdy};
  drawWalk(d, s, dstx, dsty, dstw, dsth, w, walkSourceBox(s, cliptosourcerect, srcx, srcy, srcw, srch), true, alpha,
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
