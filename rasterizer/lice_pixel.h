#pragma once

#include <cmath>
#include <cstdint>

// The 32-bit pixel every bitmap holds: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7,
// straight (not premultiplied) alpha, 255 opaque. In memory (little-endian) a pixel's bytes are
// blue, green, red, alpha; the blend formulas address them by these byte offsets.
typedef uint32_t LICE_pixel;
typedef uint8_t LICE_pixel_chan;

enum
{
  LICE_PIXEL_B = 0,
  LICE_PIXEL_G = 1,
  LICE_PIXEL_R = 2,
  LICE_PIXEL_A = 3
};

// Packs four channels (each taken modulo 256) into a pixel.
constexpr LICE_pixel LICE_RGBA(unsigned r, unsigned g, unsigned b, unsigned a)
{
  return ((a & 255u) << 24) | ((r & 255u) << 16) | ((g & 255u) << 8) | (b & 255u);
}

// Channel of a pixel, 0..255.
constexpr unsigned LICE_GETR(LICE_pixel p) { return (p >> 16) & 255u; }
constexpr unsigned LICE_GETG(LICE_pixel p) { return (p >> 8) & 255u; }
constexpr unsigned LICE_GETB(LICE_pixel p) { return p & 255u; }
constexpr unsigned LICE_GETA(LICE_pixel p) { return p >> 24; }

// Integer weight of an opacity: the float x 256 truncated toward zero (1.0 -> 256, 0.5 -> 128).
// Callers pass 0..1; anything outside is held to -256..256 and NaN gives 0, so that no formula
// can overflow or wrap whatever a caller passes.
inline int LICE_OpacityWeight(float alpha)
{
  if (!(alpha == alpha)) return 0;
  if (alpha >= 1.0f) return 256;
  if (alpha <= -1.0f) return -256;
  return int(alpha * 256.0f);
}
