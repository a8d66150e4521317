// Every primitive, fed random and hostile coordinates, sizes, opacities and modes, must stay
// inside the bitmap (the guard band must survive; the sanitizer build also watches every access)
// and must come back promptly (huge radii and spans may not turn into long loops).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "rasterizer/lice_circle.h"
#include "rasterizer/lice_curves.h"
#include "rasterizer/lice_glyph.h"
#include "rasterizer/lice_line.h"
#include "rasterizer/lice_polygon.h"
#include "rasterizer/lice_shapes.h"
#include "tests/rasterizer/guarded_bitmap.h"

namespace {

class Hostile
{
public:
  explicit Hostile(unsigned seed) : rng_(seed) {}

  int coord()
  {
    static const int extremes[] = {INT_MIN, INT_MIN + 1, -1000000000, -65537, -1, 0, 1, 65536, 1000000000, INT_MAX - 1, INT_MAX};
    if (pick(3) == 0) return extremes[pick(sizeof extremes / sizeof *extremes)];
    return int(pick(90)) - 30;
  }

  float fcoord()
  {
    const float inf = std::numeric_limits<float>::infinity();
    const float extremes[] = {std::nanf(""), inf, -inf, 1e30f, -1e30f, 3e9f, -3e9f, 1.0e9f, -1.0e9f, 1073741824.0f, 0.5f, -0.5f};
    if (pick(3) == 0) return extremes[pick(sizeof extremes / sizeof *extremes)];
    return std::uniform_real_distribution<float>(-30.0f, 60.0f)(rng_);
  }

  float radius()
  {
    const float small[] = {0.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, -1.0f, 1e9f, 5e8f, 1e30f, std::nanf("")};
    if (pick(2) == 0) return small[pick(sizeof small / sizeof *small)];
    return std::uniform_real_distribution<float>(0.0f, 80.0f)(rng_);
  }

  float opacity()
  {
    const float values[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, -1.0f, 2.0f, std::nanf(""), 0.3f, 0.999f};
    return values[pick(sizeof values / sizeof *values)];
  }

  int mode() { return int(pick(8)) | (pick(2) ? 0x10000 : 0) | (pick(2) ? 0x100 : 0); }
  LICE_pixel colour() { return LICE_pixel(rng_()); }
  bool flag() { return pick(2) != 0; }
  unsigned pick(unsigned n) { return unsigned(rng_() % n); }

private:
  std::mt19937 rng_;
};

// Runs draw on bitmaps of random sizes and orientations and checks the guard band each time.
template <class Draw>
void Stress(unsigned seed, int rounds, Draw draw)
{
  Hostile h(seed);
  for (int i = 0; i < rounds; ++i)
  {
    GuardedBitmap bm(1 + int(h.pick(40)), 1 + int(h.pick(30)), h.flag());
    draw(bm, h);
    ASSERT_TRUE(bm.guardIntact()) << "round " << i;
  }
}

}  // namespace

TEST(PrimitivesOnHostileInput, LinesStayInside)
{
  Stress(1, 3000, [](GuardedBitmap& bm, Hostile& h) {
    LICE_Line(&bm, h.coord(), h.coord(), h.coord(), h.coord(), h.colour(), h.opacity(), h.mode(), h.flag());
    LICE_FLine(&bm, h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.colour(), h.opacity(), h.mode(), h.flag());
    LICE_DashedLine(&bm, h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.colour(), h.opacity(),
                    h.mode(), h.flag());
  });
}

TEST(PrimitivesOnHostileInput, RectanglesStayInside)
{
  Stress(2, 2000, [](GuardedBitmap& bm, Hostile& h) {
    LICE_DrawRect(&bm, h.coord(), h.coord(), h.coord(), h.coord(), h.colour(), h.opacity(), h.mode());
    LICE_BorderedRect(&bm, h.coord(), h.coord(), h.coord(), h.coord(), h.colour(), h.colour(), h.opacity(), h.mode());
    LICE_RoundRect(&bm, h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.coord(), h.colour(), h.opacity(), h.mode(),
                   h.flag());
  });
}

TEST(PrimitivesOnHostileInput, CirclesAndArcsStayInsideAndFinish)
{
  Stress(3, 2000, [](GuardedBitmap& bm, Hostile& h) {
    LICE_Circle(&bm, h.fcoord(), h.fcoord(), h.radius(), h.colour(), h.opacity(), h.mode(), h.flag());
    LICE_FillCircle(&bm, h.fcoord(), h.fcoord(), h.radius(), h.colour(), h.opacity(), h.mode(), h.flag());
    LICE_Arc(&bm, h.fcoord(), h.fcoord(), h.radius(), h.fcoord(), h.fcoord(), h.colour(), h.opacity(), h.mode(),
             h.flag());
  });
  // A radius of a billion pixels crossing the bitmap: only the visible part is walked.
  GuardedBitmap bm(32, 32);
  LICE_Circle(&bm, -1e9f + 16.0f, 16.0f, 1e9f, 0xFFFFFFFFu, 1.0f, 0, false);
  LICE_Circle(&bm, 16.0f, 1e9f + 10.0f, 1e9f, 0xFFFFFFFFu, 1.0f, 0, true);
  LICE_FillCircle(&bm, 16.0f, 16.0f, 1e9f, 0xFFFFFFFFu, 1.0f, 0, false);
  LICE_Arc(&bm, 16.0f, 16.0f, 1e9f, 1e30f, 1e30f + 1.0f, 0xFFFFFFFFu, 1.0f, 0, true);
  EXPECT_TRUE(bm.guardIntact());
  EXPECT_EQ(0xFFFFFFFFu, bm.px(5, 5));
}

TEST(PrimitivesOnHostileInput, PolygonsStayInside)
{
  Stress(4, 2000, [](GuardedBitmap& bm, Hostile& h) {
    LICE_FillTrapezoid(&bm, h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.colour(), h.opacity(),
                       h.mode());
    LICE_FillTriangle(&bm, h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.coord(), h.colour(), h.opacity(),
                      h.mode());
    std::vector<int> x(3 + h.pick(600)), y(x.size());
    for (size_t i = 0; i < x.size(); ++i)
    {
      x[i] = h.coord();
      y[i] = h.coord();
    }
    LICE_FillConvexPolygon(&bm, x.data(), y.data(), int(x.size()), h.colour(), h.opacity(), h.mode());
  });
}

TEST(PrimitivesOnHostileInput, CurvesAndGlyphsStayInside)
{
  Stress(5, 1000, [](GuardedBitmap& bm, Hostile& h) {
    LICE_DrawQBezier(&bm, h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.colour(),
                     h.opacity(), h.mode(), h.flag(), h.fcoord());
    LICE_DrawCBezier(&bm, h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(),
                     h.fcoord(), h.colour(), h.opacity(), h.mode(), h.flag(), h.fcoord());
    LICE_FillCBezier(&bm, h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(),
                     h.fcoord(), h.coord(), h.colour(), h.opacity(), h.mode(), h.fcoord());
    LICE_FillCBezierX(&bm, h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(), h.fcoord(),
                      h.fcoord(), h.coord(), h.colour(), h.opacity(), h.mode(), h.fcoord());
    const LICE_pixel_chan mask[12] = {255, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 200};
    LICE_DrawGlyph(&bm, h.coord(), h.coord(), h.colour(), mask, 4, 3, h.opacity(), h.mode());
  });
}

TEST(PrimitivesOnHostileInput, NullBitmapsAreIgnored)
{
  const int x[3] = {0, 1, 2};
  LICE_Line(nullptr, 0, 0, 5, 5, 0xFFFFFFFFu, 1.0f, 0, true);
  LICE_FLine(nullptr, 0, 0, 5, 5, 0xFFFFFFFFu, 1.0f, 0, true);
  LICE_Circle(nullptr, 5, 5, 3, 0xFFFFFFFFu, 1.0f, 0, true);
  LICE_RoundRect(nullptr, 0, 0, 9, 9, 3, 0xFFFFFFFFu, 1.0f, 0, true);
  LICE_FillConvexPolygon(nullptr, x, x, 3, 0xFFFFFFFFu, 1.0f, 0);
  LICE_DrawCBezier(nullptr, 0, 0, 1, 1, 2, 2, 3, 3, 0xFFFFFFFFu, 1.0f, 0, true, 0.1f);
  LICE_FillCBezier(nullptr, 0, 0, 1, 1, 2, 2, 3, 3, 5, 0xFFFFFFFFu, 1.0f, 0, 0.1f);
  LICE_DrawGlyph(nullptr, 0, 0, 0xFFFFFFFFu, reinterpret_cast<const LICE_pixel_chan*>(x), 2, 2, 1.0f, 0);
  SUCCEED();
}
