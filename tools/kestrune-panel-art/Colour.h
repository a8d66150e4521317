#pragma once
// Colour arithmetic for the panel art: mixing, shading and a repeatable noise source.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "rasterizer/lice_pixel.h"

namespace kestrune::panelart {

// An opaque colour from 8-bit red, green and blue.
constexpr LICE_pixel Rgb(unsigned r, unsigned g, unsigned b) { return LICE_RGBA(r, g, b, 255); }

// The channel value v rounded and held to 0..255.
inline unsigned Channel(double v) { return static_cast<unsigned>(std::clamp(std::lround(v), 0L, 255L)); }

// a at t = 0 to b at t = 1, channel by channel (alpha included).
inline LICE_pixel Mix(LICE_pixel a, LICE_pixel b, double t) {
  auto lerp = [t](unsigned x, unsigned y) { return Channel(x + (double(y) - double(x)) * t); };
  return LICE_RGBA(lerp(LICE_GETR(a), LICE_GETR(b)), lerp(LICE_GETG(a), LICE_GETG(b)),
                   lerp(LICE_GETB(a), LICE_GETB(b)), lerp(LICE_GETA(a), LICE_GETA(b)));
}

// c with red, green and blue multiplied by k (k > 1 brightens), alpha kept.
inline LICE_pixel Scale(LICE_pixel c, double k) {
  return LICE_RGBA(Channel(LICE_GETR(c) * k), Channel(LICE_GETG(c) * k), Channel(LICE_GETB(c) * k), LICE_GETA(c));
}

// c with its alpha replaced by a (0..1).
inline LICE_pixel WithAlpha(LICE_pixel c, double a) { return (c & 0xFFFFFFu) | (Channel(a * 255.0) << 24); }

// A repeatable value in 0..1 for the integer point (x, y) and a seed: the same on every machine.
inline double Noise(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return (h & 0xFFFFFFu) / double(0x1000000);
}

// Smooth step from 0 at e0 to 1 at e1.
inline double SmoothStep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace kestrune::panelart
