#pragma once

#include "rasterizer/lice_pixel.h"

// Blend modes. A mode word picks the per-pixel formula that combines a source colour with a
// destination pixel:
//   bits 0-7   formula: Copy, Add, ColorDodge, Mul, Overlay, HSVAdjust, or a channel copy
//              (0xF0-0xFF, unscaled blits only: bits 0-1 source byte, bits 2-3 destination byte)
//   bits 8-15  filter for scaled, rotated, delta and transform blits
//   bit 16     source alpha: each source pixel's alpha scales the weight
// Image blits choose their formula from (mode & 0x100FF), solid-colour operations from the low
// byte. Each formula is a class with one static doPix(dest, r, g, b, a, w): dest points at the
// four bytes of a destination pixel (blue, green, red, alpha), r, g, b, a are the source
// channels 0..255 and w the integer weight (LICE_OpacityWeight, 0..256). Drawing loops are
// templates on these classes, so the formula is chosen once per call.
enum
{
  LICE_BLIT_MODE_COPY = 0,
  LICE_BLIT_MODE_ADD = 1,
  LICE_BLIT_MODE_DODGE = 2,
  LICE_BLIT_MODE_MUL = 3,
  LICE_BLIT_MODE_OVERLAY = 4,
  LICE_BLIT_MODE_HSVADJ = 5,
  LICE_BLIT_MODE_MASK = 0xFF,
  LICE_BLIT_MODE_CHANCOPY = 0xF0,

  LICE_BLIT_FILTER_NONE = 0,
  LICE_BLIT_FILTER_BILINEAR = 0x100,
  LICE_BLIT_FILTER_MASK = 0xFF00,

  LICE_BLIT_USE_ALPHA = 0x10000,

  // The part of the mode word that keys an image blit's formula.
  LICE_BLIT_IMAGE_KEY_MASK = LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MASK
};

// 65536 / i - 1 for i = 1..255 and 0 for i = 0: the reciprocals of the HSV conversion.
extern const unsigned short _LICE_RGB2HSV_invtab[256];

namespace lice_detail
{
inline int clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
inline void store(LICE_pixel_chan* dest, int b, int g, int r, int a)
{
  dest[LICE_PIXEL_B] = LICE_pixel_chan(b);
  dest[LICE_PIXEL_G] = LICE_pixel_chan(g);
  dest[LICE_PIXEL_R] = LICE_pixel_chan(r);
  dest[LICE_PIXEL_A] = LICE_pixel_chan(a);
}
inline int copyChan(int d, int s, int w) { return s + ((d - s) * (256 - w)) / 256; }
inline int addChan(int d, int s, int w) { return clamp255(d + (s * w) / 256); }
inline int dodgeChan(int d, int s, int w)
{
  const int k = (s * w) / 256;
  return clamp255(k < 255 ? (d * 256) / (256 - k) : d * 256);
}
inline int mulProduct(int d, int s, int w) { return (s * w + (256 - w) * 256) * d; }
inline int mulClampChan(int d, int s, int w)
{
  const int p = mulProduct(d, s, w);
  return p < 0 ? 0 : (p >= (1 << 24) ? 255 : p >> 16);
}
inline int overlayChan(int d, int s, int w)
{
  const int t = s * w + (256 - w) * 128;
  const int v = (((32768 - t) * d) / 256 + t) * d;
  return v < 0 ? 0 : (v > 0x7FFFFF ? 255 : v >> 15);
}
void hsvAdjust(LICE_pixel_chan* dest, int r, int g, int b, int a, int w);
inline int sourceAlphaWeight(int w, int sa) { return (w * (sa + 1)) / 256; }
} // namespace lice_detail

// Weight-independent overwrite, bytes stored as given (low 8 bits).
struct _LICE_CombinePixelsClobberNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int)
  {
    lice_detail::store(dest, b, g, r, a);
  }
};

// Weight-independent overwrite, bytes clamped to 0..255.
struct _LICE_CombinePixelsClobberClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int)
  {
    using namespace lice_detail;
    store(dest, clamp255(b), clamp255(g), clamp255(r), clamp255(a));
  }
};

// Source over destination by weight: s + ((d - s) * (256 - w)) / 256, stored as is.
struct _LICE_CombinePixelsCopyNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, copyChan(dest[LICE_PIXEL_B], b, w), copyChan(dest[LICE_PIXEL_G], g, w),
          copyChan(dest[LICE_PIXEL_R], r, w), copyChan(dest[LICE_PIXEL_A], a, w));
  }
};

// Copy with every byte clamped to 0..255 (for sources that may leave the range).
struct _LICE_CombinePixelsCopyClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, clamp255(copyChan(dest[LICE_PIXEL_B], b, w)), clamp255(copyChan(dest[LICE_PIXEL_G], g, w)),
          clamp255(copyChan(dest[LICE_PIXEL_R], r, w)), clamp255(copyChan(dest[LICE_PIXEL_A], a, w)));
  }
};

// d + (s * w) / 256, clamped.
struct _LICE_CombinePixelsAdd
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, addChan(dest[LICE_PIXEL_B], b, w), addChan(dest[LICE_PIXEL_G], g, w),
          addChan(dest[LICE_PIXEL_R], r, w), addChan(dest[LICE_PIXEL_A], a, w));
  }
};

// k = (s * w) / 256; (d * 256) / (256 - k) when k < 255, else d * 256; clamped.
struct _LICE_CombinePixelsColorDodge
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, dodgeChan(dest[LICE_PIXEL_B], b, w), dodgeChan(dest[LICE_PIXEL_G], g, w),
          dodgeChan(dest[LICE_PIXEL_R], r, w), dodgeChan(dest[LICE_PIXEL_A], a, w));
  }
};

// ((s * w + (256 - w) * 256) * d) >> 16, stored as is.
struct _LICE_CombinePixelsMulNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, mulProduct(dest[LICE_PIXEL_B], b, w) >> 16, mulProduct(dest[LICE_PIXEL_G], g, w) >> 16,
          mulProduct(dest[LICE_PIXEL_R], r, w) >> 16, mulProduct(dest[LICE_PIXEL_A], a, w) >> 16);
  }
};

// Mul with the product clamped: 2^24 or more gives 255, negative gives 0.
struct _LICE_CombinePixelsMulClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, mulClampChan(dest[LICE_PIXEL_B], b, w), mulClampChan(dest[LICE_PIXEL_G], g, w),
          mulClampChan(dest[LICE_PIXEL_R], r, w), mulClampChan(dest[LICE_PIXEL_A], a, w));
  }
};

// t = s * w + (256 - w) * 128; v = (((32768 - t) * d) / 256 + t) * d; v >> 15, clamped.
struct _LICE_CombinePixelsOverlay
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    store(dest, overlayChan(dest[LICE_PIXEL_B], b, w), overlayChan(dest[LICE_PIXEL_G], g, w),
          overlayChan(dest[LICE_PIXEL_R], r, w), overlayChan(dest[LICE_PIXEL_A], a, w));
  }
};

// Shifts the destination's hue by r, its saturation by g and its value by b (128 is neutral,
// scaled by w); the destination alpha becomes a.
struct _LICE_CombinePixelsHSVAdjust
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    lice_detail::hsvAdjust(dest, r, g, b, a, w);
  }
};

// (d + s) >> 1 on every byte, stored as is.
struct _LICE_CombinePixelsHalfMixNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int)
  {
    lice_detail::store(dest, (dest[LICE_PIXEL_B] + b) >> 1, (dest[LICE_PIXEL_G] + g) >> 1,
                       (dest[LICE_PIXEL_R] + r) >> 1, (dest[LICE_PIXEL_A] + a) >> 1);
  }
};

// Source-over compositing by the source's own alpha sa, weight w' = (w * (sa + 1)) / 256;
// destination alpha accumulates (min(d + w', 255)). sa = 0 leaves the pixel alone.
struct _LICE_CombinePixelsCopySourceAlphaNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    using namespace lice_detail;
    if (a == 0) return;
    const int ww = sourceAlphaWeight(w, a);
    const int da = dest[LICE_PIXEL_A] + ww;
    store(dest, copyChan(dest[LICE_PIXEL_B], b, ww), copyChan(dest[LICE_PIXEL_G], g, ww),
          copyChan(dest[LICE_PIXEL_R], r, ww), da > 255 ? 255 : da);
  }
};

// Source-alpha Copy at full weight: sa = 0 leaves the pixel, sa = 255 replaces it with
// (r, g, b, 255); otherwise s + ((d - s) * (255 - sa)) / 256 and alpha min(d + sa, 255).
struct _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int)
  {
    using namespace lice_detail;
    if (a == 0) return;
    if (a == 255)
    {
      store(dest, b, g, r, 255);
      return;
    }
    const int m = 255 - a;
    const int da = dest[LICE_PIXEL_A] + a;
    store(dest, b + ((dest[LICE_PIXEL_B] - b) * m) / 256, g + ((dest[LICE_PIXEL_G] - g) * m) / 256,
          r + ((dest[LICE_PIXEL_R] - r) * m) / 256, da > 255 ? 255 : da);
  }
};

// Add with w' on all four bytes; sa = 0 leaves the pixel alone.
struct _LICE_CombinePixelsAddSourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    _LICE_CombinePixelsAdd::doPix(dest, r, g, b, a, lice_detail::sourceAlphaWeight(w, a));
  }
};

// ColorDodge with w' on all four bytes (sa = 0 still applies with w' = w / 256).
struct _LICE_CombinePixelsColorDodgeSourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    _LICE_CombinePixelsColorDodge::doPix(dest, r, g, b, a, lice_detail::sourceAlphaWeight(w, a));
  }
};

// Mul (stored as is) with w' on all four bytes; sa = 0 leaves the pixel alone.
struct _LICE_CombinePixelsMulSourceAlphaNoClamp
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    _LICE_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, lice_detail::sourceAlphaWeight(w, a));
  }
};

// Overlay with w' on all four bytes.
struct _LICE_CombinePixelsOverlaySourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    _LICE_CombinePixelsOverlay::doPix(dest, r, g, b, a, lice_detail::sourceAlphaWeight(w, a));
  }
};

// HSVAdjust with w'.
struct _LICE_CombinePixelsHSVAdjustSourceAlpha
{
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
  {
    _LICE_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, lice_detail::sourceAlphaWeight(w, a));
  }
};

// Fast mixers: whole-pixel shift-and-mask blends that lose each channel's low bits. prepare(c)
// computes the colour's share once (per fill, or per source pixel for two-image mixing) and
// doPix(dest, share) mixes it into one pixel.

// Weight 256: the destination becomes c.
struct _LICE_CombinePixelsClobberFAST
{
  static inline LICE_pixel prepare(LICE_pixel c) { return c; }
  static inline void doPix(LICE_pixel* dest, LICE_pixel share) { *dest = share; }
};

// Weight 128 between two images: ((d >> 1) & 0x7F7F7F7F) + ((s >> 1) & 0x7F7F7F7F).
struct _LICE_CombinePixelsHalfMixFAST
{
  static inline LICE_pixel prepare(LICE_pixel s) { return (s >> 1) & 0x7F7F7F7Fu; }
  static inline void doPix(LICE_pixel* dest, LICE_pixel share) { *dest = share + ((*dest >> 1) & 0x7F7F7F7Fu); }
};

// Weight 128 with a solid colour: c2 + ((d >> 1) & 0x7F7F7F7F), c2 = (c >> 1) & 0x7F7F7F7F, the
// two-image half mix with the colour's share prepared once.
struct _LICE_CombinePixelsHalfMix2FAST : _LICE_CombinePixelsHalfMixFAST
{
};

// Weight 64: c4 + ((d >> 2) & 0x3F3F3F3F) + ((d >> 1) & 0x7F7F7F7F), c4 = (c >> 2) & 0x3F3F3F3F.
struct _LICE_CombinePixelsQuarterMix2FAST
{
  static inline LICE_pixel prepare(LICE_pixel c) { return (c >> 2) & 0x3F3F3F3Fu; }
  static inline void doPix(LICE_pixel* dest, LICE_pixel share)
  {
    const LICE_pixel d = *dest;
    *dest = share + ((d >> 2) & 0x3F3F3F3Fu) + ((d >> 1) & 0x7F7F7F7Fu);
  }
};

// Weight 192: c2 + c4 + ((d >> 2) & 0x3F3F3F3F).
struct _LICE_CombinePixelsThreeQuarterMix2FAST
{
  static inline LICE_pixel prepare(LICE_pixel c) { return ((c >> 1) & 0x7F7F7F7Fu) + ((c >> 2) & 0x3F3F3F3Fu); }
  static inline void doPix(LICE_pixel* dest, LICE_pixel share) { *dest = share + ((*dest >> 2) & 0x3F3F3F3Fu); }
};

// Calls f(Class{}) with the image-blit formula class for (mode & 0x100FF) and weight ia, and
// returns true; returns false, without calling f, for keys that draw nothing (unknown modes,
// Copy with a negative weight).
template <class F>
inline bool LICE_DispatchImageMode(int mode, int ia, F&& f)
{
  switch (mode & LICE_BLIT_IMAGE_KEY_MASK)
  {
    case LICE_BLIT_MODE_COPY:
      if (ia < 0) return false;
      if (ia == 256) f(_LICE_CombinePixelsClobberNoClamp{});
      else f(_LICE_CombinePixelsCopyNoClamp{});
      return true;
    case LICE_BLIT_MODE_ADD: f(_LICE_CombinePixelsAdd{}); return true;
    case LICE_BLIT_MODE_DODGE: f(_LICE_CombinePixelsColorDodge{}); return true;
    case LICE_BLIT_MODE_MUL: f(_LICE_CombinePixelsMulNoClamp{}); return true;
    case LICE_BLIT_MODE_OVERLAY: f(_LICE_CombinePixelsOverlay{}); return true;
    case LICE_BLIT_MODE_HSVADJ: f(_LICE_CombinePixelsHSVAdjust{}); return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_COPY:
      if (ia < 0) return false;
      if (ia == 256) f(_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp{});
      else f(_LICE_CombinePixelsCopySourceAlphaNoClamp{});
      return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_ADD: f(_LICE_CombinePixelsAddSourceAlpha{}); return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_DODGE: f(_LICE_CombinePixelsColorDodgeSourceAlpha{}); return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MUL: f(_LICE_CombinePixelsMulSourceAlphaNoClamp{}); return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_OVERLAY: f(_LICE_CombinePixelsOverlaySourceAlpha{}); return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_HSVADJ: f(_LICE_CombinePixelsHSVAdjustSourceAlpha{}); return true;
    default: return false;
  }
}

// Calls f(Class{}) with the solid-colour formula class for the mode's low byte (Copy ->
// _LICE_CombinePixelsCopyNoClamp, Mul -> _LICE_CombinePixelsMulNoClamp) and returns true;
// returns false for low bytes above 5. Callers take their Copy fast paths before calling this.
template <class F>
inline bool LICE_DispatchSolidMode(int mode, F&& f)
{
  switch (mode & LICE_BLIT_MODE_MASK)
  {
    case LICE_BLIT_MODE_COPY: f(_LICE_CombinePixelsCopyNoClamp{}); return true;
    case LICE_BLIT_MODE_ADD: f(_LICE_CombinePixelsAdd{}); return true;
    case LICE_BLIT_MODE_DODGE: f(_LICE_CombinePixelsColorDodge{}); return true;
    case LICE_BLIT_MODE_MUL: f(_LICE_CombinePixelsMulNoClamp{}); return true;
    case LICE_BLIT_MODE_OVERLAY: f(_LICE_CombinePixelsOverlay{}); return true;
    case LICE_BLIT_MODE_HSVADJ: f(_LICE_CombinePixelsHSVAdjust{}); return true;
    default: return false;
  }
}

// Returns the pixel that combining the whole pixel src into dest gives, with the weight of alpha
// and the image-blit formula of (mode & 0x100FF); dest when the mode draws nothing or the
// weight is 0.
LICE_pixel LICE_CombinePixels(LICE_pixel dest, LICE_pixel src, float alpha, int mode);

// Combines (r, g, b, a) into *pixel in place with weight ia and the image-blit formula of mode.
// Nothing for a null pixel, weight 0 or a mode that draws nothing.
void LICE_CombinePixels2(LICE_pixel* pixel, int r, int g, int b, int a, int ia, int mode);

// As LICE_CombinePixels2, with r, g, b, a clamped to 0..255 first and the clamped Copy and Mul
// formulas.
void LICE_CombinePixels2Clamp(LICE_pixel* pixel, int r, int g, int b, int a, int ia, int mode);
