#pragma once

// Pictures for the control tests, beyond the editor test kit's: random pictures with every kind
// of alpha, and expected pictures composed pixel by pixel at any weight and with the additive
// blend, with the blend formulas written out here, apart from the rasteriser.

#include <algorithm>
#include <cstdint>
#include <memory>

#include "graphics/IGraphicsStructs.h"
#include "rasterizer/lice_membitmap.h"
#include "tests/graphics/EditorTestKit.h"

namespace control_pictures
{

using editor_test::Picture;
using editor_test::PictureOf;
using editor_test::SamePixels;

// A deterministic pseudo-random stream (splitmix64).
class Rng
{
public:
  explicit Rng(uint64_t seed) : mState(seed) {}
  uint64_t Next()
  {
    uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in lo..hi, both included.
  int Int(int lo, int hi) { return lo + int(Next() % uint64_t(int64_t(hi) - lo + 1)); }
  double Unit() { return double(Next() >> 11) / double(1ull << 53); }

private:
  uint64_t mState;
};

// A picture of random colours whose alpha is 0, 255 or in between, a third each, so that every
// branch of source-alpha blending is met.
inline Picture RandomPicture(int w, int h, uint64_t seed)
{
  Picture p(w, h);
  Rng rng(seed);
  for (uint32_t& v : p.px)
  {
    const uint32_t rgb = uint32_t(rng.Next()) & 0xFFFFFFu;
    const int kind = rng.Int(0, 2);
    const uint32_t a = kind == 0 ? 0u : kind == 1 ? 255u : uint32_t(rng.Int(1, 254));
    v = a << 24 | rgb;
  }
  return p;
}

// An opaque picture of random colours.
inline Picture OpaquePicture(int w, int h, uint64_t seed)
{
  Picture p = RandomPicture(w, h, seed);
  for (uint32_t& v : p.px) v |= 0xFF000000u;
  return p;
}

// Where frame `state` (1-based) of a filmstrip of n frames lies in its image.
inline IRECT FrameRect(const IBitmap& bm, int state)
{
  const int n = bm.N < 1 ? 1 : bm.N;
  const int fw = bm.mFramesAreHorizontal ? bm.W / n : bm.W, fh = bm.mFramesAreHorizontal ? bm.H : bm.H / n;
  const int i = state < 1 || state > n ? 0 : state - 1;
  return bm.mFramesAreHorizontal ? IRECT(i * fw, 0, (i + 1) * fw, fh) : IRECT(0, i * fh, fw, (i + 1) * fh);
}

enum class Blend
{
  kReplace,     // the source replaces all four bytes
  kSourceAlpha, // source over destination by the source's alpha, destination alpha accumulating
  kAddAlpha     // the source added by its alpha, all four bytes, clamped
};

// One source pixel s combined into d at integer weight w (0..256).
inline uint32_t CombinePixel(uint32_t d, uint32_t s, int w, Blend blend)
{
  const int sa = int(s >> 24);
  auto chan = [](uint32_t p, int shift) { return int((p >> shift) & 255u); };
  auto pack = [](int a, int r, int g, int b) {
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
  };
  auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  if (blend == Blend::kReplace)
  {
    if (w == 256) return s;
    int out[4];
    for (int k = 0; k < 4; ++k) out[k] = chan(s, 8 * k) + (chan(d, 8 * k) - chan(s, 8 * k)) * (256 - w) / 256;
    return pack(out[3], out[2], out[1], out[0]);
  }
  if (sa == 0) return d;
  const int wa = w * (sa + 1) / 256;
  if (blend == Blend::kAddAlpha)
  {
    int out[4];
    for (int k = 0; k < 4; ++k) out[k] = clamp(chan(d, 8 * k) + chan(s, 8 * k) * wa / 256);
    return pack(out[3], out[2], out[1], out[0]);
  }
  if (w == 256 && sa == 255) return s;
  // At full weight the colour follows the source alpha itself; below it, the scaled weight.
  const int keep = w == 256 ? 255 - sa : 256 - wa;
  const int addA = w == 256 ? sa : wa;
  int out[3];
  for (int k = 0; k < 3; ++k) out[k] = chan(s, 8 * k) + (chan(d, 8 * k) - chan(s, 8 * k)) * keep / 256;
  const int a = std::min(chan(d, 24) + addA, 255);
  return pack(a, out[2], out[1], out[0]);
}

// Draws the part src of picture `from` with its top-left corner at (dx, dy) of `into`, clipped to
// `into` and to clip (when not empty).
inline void Compose(Picture& into, const Picture& from, IRECT src, int dx, int dy, Blend blend, float weight = 1.0f,
                    IRECT clip = IRECT())
{
  const int w = weight >= 1.0f ? 256 : int(weight * 256.0f);
  for (int y = src.T; y < src.B; ++y)
    for (int x = src.L; x < src.R; ++x)
    {
      const int tx = dx + x - src.L, ty = dy + y - src.T;
      if (tx < 0 || ty < 0 || tx >= into.w || ty >= into.h || x < 0 || y < 0 || x >= from.w || y >= from.h) continue;
      if (!clip.Empty() && !clip.Contains(tx, ty)) continue;
      into.at(tx, ty) = CombinePixel(into.at(tx, ty), from.at(x, y), w, blend);
    }
}

// A bitmap holding the picture (the test keeps it alive while controls use it).
inline std::unique_ptr<LICE_MemBitmap> MakeBitmap(const Picture& p)
{
  auto bm = std::make_unique<LICE_MemBitmap>(p.w, p.h);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) bm->getBits()[size_t(y) * bm->getRowSpan() + x] = p.at(x, y);
  return bm;
}

} // namespace control_pictures
