#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "guarded_bitmap.h"
#include "rasterizer/lice_areaops.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_deltablit.h"
#include "rasterizer/lice_pixelops.h"

// Every operation, fed random and hostile coordinates, sizes, angles, opacities and modes, must
// leave the guard band around both bitmaps untouched (and, in the sanitizer build, do nothing
// undefined).
namespace
{
class Hostile
{
public:
  explicit Hostile(unsigned seed) : m_rng(seed) {}

  int coord()
  {
    static const int edge[] = {INT_MIN, INT_MIN + 1, -1000000, -100, -13, -3, -1, 0, 1, 2, 5, 7,
                               11, 13, 100, 1000000, INT_MAX - 1, INT_MAX};
    if (pick(3) == 0) return edge[pick(sizeof(edge) / sizeof(edge[0]))];
    return int(pick(41)) - 20;
  }

  float real()
  {
    static const float edge[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(), 1e30f, -1e30f, 3e9f, -3e9f, 1e6f,
                                 -1e6f, -3.5f, -0.5f, 0.0f, 0.25f, 0.5f, 1.0f, 1.7f, 3.3f, 13.0f, 32767.9f};
    if (pick(3) == 0) return edge[pick(sizeof(edge) / sizeof(edge[0]))];
    return std::uniform_real_distribution<float>(-20.0f, 20.0f)(m_rng);
  }

  float opacity()
  {
    static const float edge[] = {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(),
                                 -2.0f, -1.0f, -0.5f, 0.0f, 0.001f, 0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 1e30f};
    if (pick(2) == 0) return edge[pick(sizeof(edge) / sizeof(edge[0]))];
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(m_rng);
  }

  int mode()
  {
    static const int edge[] = {0, 1, 2, 3, 4, 5, 6, 0xF3, 0xFF, 0x100, 0x101, 0x105, 0x10000, 0x10001, 0x10002,
                               0x10003, 0x10004, 0x10005, 0x10100, 0x10104, 0x100FF, -1};
    if (pick(5) == 0) return int(m_rng());
    return edge[pick(sizeof(edge) / sizeof(edge[0]))];
  }

  unsigned pick(size_t n) { return unsigned(m_rng() % n); }
  LICE_pixel pixel() { return LICE_pixel(m_rng()); }
  std::mt19937& rng() { return m_rng; }

private:
  std::mt19937 m_rng;
};

constexpr int kRounds = 20000;
} // namespace

TEST(HostileInput, BlitsStayInsideBitmaps)
{
  Hostile h(99);
  for (int round = 0; round < kRounds; ++round)
  {
    GuardedBitmap dst(13, 11, h.pick(2) == 0), other(7, 9, h.pick(2) == 0);
    dst.fillRandom(h.rng());
    other.fillRandom(h.rng());
    GuardedBitmap& src = h.pick(4) == 0 ? dst : other;
    const RECT r{h.coord(), h.coord(), h.coord(), h.coord()};
    switch (h.pick(6))
    {
      case 0: LICE_Blit(&dst, &src, h.coord(), h.coord(), h.pick(3) ? &r : nullptr, h.opacity(), h.mode()); break;
      case 1:
        LICE_Blit(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.opacity(), h.mode());
        break;
      case 2:
        LICE_ScaledBlit(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), h.real(), h.real(), h.real(), h.real(),
                        h.opacity(), h.mode());
        break;
      case 3:
        LICE_RotatedBlit(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), h.real(), h.real(), h.real(),
                         h.real(), h.real(), h.pick(2) == 0, h.opacity(), h.mode(), h.real(), h.real());
        break;
      case 4:
        LICE_DeltaBlitAlpha(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), h.real(), h.real(), h.real(),
                            h.real(), h.real(), h.real(), h.real(), h.real(), h.real(), h.real(), h.pick(2) == 0,
                            h.opacity(), h.mode(), h.pick(2) ? 0.0 : h.real(), h.real(), h.real());
        break;
      default:
      {
        double grid[3 * 9];
        for (double& g : grid) g = h.real();
        const int dw = 2 + int(h.pick(2)), dh = 2 + int(h.pick(2));
        LICE_TransformBlit2Alpha(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), grid, dw, dh, h.mode());
        LICE_TransformBlit2(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), grid, dw, dh, h.opacity(),
                            h.mode());
        break;
      }
    }
    ASSERT_TRUE(dst.guardIntact()) << "round " << round;
    ASSERT_TRUE(other.guardIntact()) << "round " << round;
  }
}

TEST(HostileInput, FillsAndAreaOperationsStayInsideBitmaps)
{
  Hostile h(7);
  for (int round = 0; round < kRounds; ++round)
  {
    GuardedBitmap dst(13, 11, h.pick(2) == 0), src(9, 6);
    dst.fillRandom(h.rng());
    src.fillRandom(h.rng());
    switch (h.pick(8))
    {
      case 0: LICE_FillRect(&dst, h.coord(), h.coord(), h.coord(), h.coord(), h.pixel(), h.opacity(), h.mode()); break;
      case 1: LICE_PutPixel(&dst, h.coord(), h.coord(), h.pixel(), h.opacity(), h.mode()); break;
      case 2: LICE_ClearRect(&dst, h.coord(), h.coord(), h.coord(), h.coord(), h.pixel(), h.pixel()); break;
      case 3:
        LICE_GradRect(&dst, h.coord(), h.coord(), h.coord(), h.coord(), h.real(), h.real(), h.real(), h.real(),
                      h.real(), h.real(), h.real(), h.real(), h.real(), h.real(), h.real(), h.real(), h.mode());
        break;
      case 4: LICE_Blur(&dst, &src, h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.coord()); break;
      case 5:
        LICE_MultiplyAddRect(&dst, h.coord(), h.coord(), h.coord(), h.coord(), h.real(), h.real(), h.real(), h.real(),
                             h.real(), h.real(), h.real(), h.real());
        break;
      case 6: LICE_SimpleFill(&dst, h.coord(), h.coord(), h.pixel(), h.pixel() | 0xF0F0F0F0u, h.pixel()); break;
      default: LICE_HalveBlitAA(&dst, &src); LICE_HalveBlitAA(&src, &dst); break;
    }
    ASSERT_TRUE(dst.guardIntact()) << "round " << round;
    ASSERT_TRUE(src.guardIntact()) << "round " << round;
  }
}
