#include "rasterizer/lice_combine.h"

namespace
{
struct InvTab
{
  unsigned short v[256];
  constexpr InvTab() : v()
  {
    for (int i = 1; i < 256; ++i) v[i] = (unsigned short)(65536 / i - 1);
  }
};
constexpr InvTab kInvTab;

// Saturation ramp of the HSV-to-RGB step: V' scaled down by x/64 of the saturation.
inline int ramp(int v, int s, int x) { return (v * (16384 - x * s)) / 16384; }
} // namespace

const unsigned short _LICE_RGB2HSV_invtab[256] = {
#define R4(i) kInvTab.v[i], kInvTab.v[i + 1], kInvTab.v[i + 2], kInvTab.v[i + 3]
#define R16(i) R4(i), R4(i + 4), R4(i + 8), R4(i + 12)
  R16(0),   R16(16),  R16(32),  R16(48),  R16(64),  R16(80),  R16(96),  R16(112),
  R16(128), R16(144), R16(160), R16(176), R16(192), R16(208), R16(224), R16(240)
#undef R16
#undef R4
};

void lice_detail::hsvAdjust(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
{
  const int R = dest[LICE_PIXEL_R], G = dest[LICE_PIXEL_G], B = dest[LICE_PIXEL_B];
  int V, mn, base, diff;
  if (R < G)
  {
    if (G > B)
    {
      V = G;
      mn = R < B ? R : B;
      base = 128;
      diff = B - R;
    }
    else
    {
      V = B;
      mn = R;
      base = 256;
      diff = R - G;
    }
  }
  else if (B < R)
  {
    V = R;
    mn = G < B ? G : B;
    base = G < B ? 383 : 0;
    diff = G - B;
  }
  else
  {
    V = B;
    mn = G;
    base = 256;
    diff = R - G;
  }
  const int delta = V - mn;

  int H = base + ((_LICE_RGB2HSV_invtab[delta] + 1) * diff) / 1024 + ((r + r / 2 - 192) * w) / 256;
  // Back onto the circle; out-of-range weights can push the hue more than one turn away, and the
  // sector lookup below must always find a sector.
  H %= 384;
  if (H < 0) H += 384;

  const int S = (delta * _LICE_RGB2HSV_invtab[V]) / 256;
  const int S2 = clamp255(S + ((g - 128) * w) / 128);
  const int V2 = clamp255(V + ((b - 128) * w) / 128);
  const int P = ((256 - S2) * V2) >> 8;

  int outR, outG, outB;
  if (H < 64) { outR = V2; outG = ramp(V2, S2, 64 - H); outB = P; }
  else if (H < 128) { outR = ramp(V2, S2, H - 64); outG = V2; outB = P; }
  else if (H < 192) { outR = P; outG = V2; outB = ramp(V2, S2, 192 - H); }
  else if (H < 256) { outR = P; outG = ramp(V2, S2, H - 192); outB = V2; }
  else if (H < 320) { outR = ramp(V2, S2, 320 - H); outG = P; outB = V2; }
  else { outR = V2; outG = P; outB = ramp(V2, S2, H - 320); }
  store(dest, outB, outG, outR, a);
}

namespace
{
inline int limitChannel(int v) { return v < -16384 ? -16384 : (v > 16383 ? 16383 : v); }

template <bool Clamped>
void combineInto(LICE_pixel* pixel, int r, int g, int b, int a, int ia, int mode)
{
  if (!pixel || ia == 0) return;
  // Weights and channels far outside their ranges are caller errors; holding them here keeps the
  // formulas' products within int.
  ia = ia < -256 ? -256 : (ia > 256 ? 256 : ia);
  r = limitChannel(r);
  g = limitChannel(g);
  b = limitChannel(b);
  a = limitChannel(a);
  LICE_pixel_chan* d = reinterpret_cast<LICE_pixel_chan*>(pixel);
  if (Clamped)
  {
    r = lice_detail::clamp255(r);
    g = lice_detail::clamp255(g);
    b = lice_detail::clamp255(b);
    a = lice_detail::clamp255(a);
    switch (mode & LICE_BLIT_IMAGE_KEY_MASK)
    {
      case LICE_BLIT_MODE_COPY:
        if (ia < 0) return;
        if (ia == 256) _LICE_CombinePixelsClobberClamp::doPix(d, r, g, b, a, ia);
        else _LICE_CombinePixelsCopyClamp::doPix(d, r, g, b, a, ia);
        return;
      case LICE_BLIT_MODE_MUL: _LICE_CombinePixelsMulClamp::doPix(d, r, g, b, a, ia); return;
      default: break;
    }
  }
  LICE_DispatchImageMode(mode, ia, [&](auto cls) { decltype(cls)::doPix(d, r, g, b, a, ia); });
}
} // namespace

LICE_pixel LICE_CombinePixels(LICE_pixel dest, LICE_pixel src, float alpha, int mode)
{
  combineInto<false>(&dest, int(LICE_GETR(src)), int(LICE_GETG(src)), int(LICE_GETB(src)), int(LICE_GETA(src)),
                     LICE_OpacityWeight(alpha), mode);
  return dest;
}

void LICE_CombinePixels2(LICE_pixel* pixel, int r, int g, int b, int a, int ia, int mode)
{
  combineInto<false>(pixel, r, g, b, a, ia, mode);
}

void LICE_CombinePixels2Clamp(LICE_pixel* pixel, int r, int g, int b, int a, int ia, int mode)
{
  combineInto<true>(pixel, r, g, b, a, ia, mode);
}
