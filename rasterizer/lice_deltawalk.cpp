#include "rasterizer/lice_deltawalk.h"

#include <algorithm>
#include <cmath>

#include "rasterizer/lice_blit_loops.h"

namespace lice_detail
{
SourceBox walkSourceBox(const LICE_BitmapRows& s, bool cliptosourcerect, double srcx, double srcy, double srcw,
                        double srch)
{
  double left = 0, top = 0, right = s.width, bottom = s.height;
  if (cliptosourcerect)
  {
    left = std::max(srcx, 0.0);
    top = std::max(srcy, 0.0);
    right = std::min(srcx + srcw, double(s.width));
    bottom = std::min(srcy + srch, double(s.height));
  }
  SourceBox b;
  b.L = std::max<int64_t>(0, toIntRange(left));
  b.T = std::max<int64_t>(0, toIntRange(top));
  b.W = std::min<int64_t>(toIntRange(right), s.width) - b.L;
  b.H = std::min<int64_t>(toIntRange(bottom), s.height) - b.T;
  return b;
}

namespace
{
bool finiteWalk(const SourceWalk& w)
{
  for (double v : {w.s, w.t, w.dsdx, w.dtdx, w.dsdy, w.dtdy, w.dsdxdy, w.dtdxdy, w.a, w.dadx, w.dady, w.dadxdy})
    if (!std::isfinite(v)) return false;
  return true;
}
} // namespace

void drawWalk(const LICE_BitmapRows& d, const LICE_BitmapRows& s, int64_t dx, int64_t dy, int64_t dw, int64_t dh,
              SourceWalk w, const SourceBox& box, bool withAlpha, float alpha, int mode)
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
} // namespace lice_detail
