#include "rasterizer/lice_curves.h"

#include <cmath>

#include "rasterizer/lice_line.h"
#include "rasterizer/lice_solidpen.h"

using lice_pen::CopyShortcuts;

namespace {

constexpr int kMaxSegments = 1024;

struct Point
{
  double x, y;
};

// The curve's points at kMaxSegments + 1 or fewer evenly spaced parameters: cubic when four
// control points are given (a quadratic is raised to the cubic with the same shape).
class Flattened
{
public:
  // Empty (count() == 0) when a coordinate is not usable.
  Flattened(const Point (&p)[4], float tol)
  {
    for (const Point& q : p)
      if (!lice_pen::sane(q.x) || !lice_pen::sane(q.y)) return;
    // A polyline of n chords strays from a cubic by at most |B''| / (8 n^2), and |B''| is at
    // most 6 times the larger second difference of the control points.
    const double d1 = std::hypot(p[0].x - 2 * p[1].x + p[2].x, p[0].y - 2 * p[1].y + p[2].y);
    const double d2 = std::hypot(p[1].x - 2 * p[2].x + p[3].x, p[1].y - 2 * p[2].y + p[3].y);
    const double bound = 6.0 * (d1 > d2 ? d1 : d2);
    const double t = tol >= 0.01f ? double(tol) : 0.01;
    const double want = std::ceil(std::sqrt(bound / (8.0 * t)));
    const int segments = want < 1.0 ? 1 : (want > kMaxSegments ? kMaxSegments : int(want));
    for (int i = 0; i <= segments; ++i)
    {
      const double u = double(i) / segments, v = 1.0 - u;
      const double a = v * v * v, b = 3 * v * v * u, c = 3 * v * u * u, d = u * u * u;
      points_[i] = Point{a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x, a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
    }
    count_ = segments + 1;
  }

  int count() const { return count_; }
  const Point& operator[](int i) const { return points_[i]; }

private:
  Point points_[kMaxSegments + 1];
  int count_ = 0;
};

void drawFlattened(LICE_IBitmap* dest, const Flattened& f, LICE_pixel colour, float alpha, int mode, bool aa)
{
  for (int i = 1; i < f.count(); ++i)
    LICE_FLine(dest, float(f[i - 1].x), float(f[i - 1].y), float(f[i].x), float(f[i].y), colour, alpha, mode, aa);
}

// Fills from the curve to the line `fill` along the cross axis, one span per pixel of the main
// axis (x for columns, y for rows).
template <class Pen>
void fillToLine(const LICE_BitmapRows& rows, const Flattened& f, long long fill, bool columns, const Pen& pen, int ia)
{
  const lice_pen::Box box = lice_pen::bitmapBox(rows);
  const long long lo = columns ? box.l : box.t, hi = columns ? box.r : box.b;
  for (int i = 1; i < f.count(); ++i)
  {
    Point a = f[i - 1], b = f[i];
    double ma = columns ? a.x : a.y, mb = columns ? b.x : b.y;
    const double ca = columns ? a.y : a.x, cb = columns ? b.y : b.x;
    const bool forward = ma <= mb;
    const double from = forward ? ma : mb, to = forward ? mb : ma;
    const double crossFrom = forward ? ca : cb, crossTo = forward ? cb : ca;
    if (to <= from) continue;
    long long first = static_cast<long long>(std::ceil(from));
    long long last = i + 1 == f.count() ? static_cast<long long>(std::floor(to)) : static_cast<long long>(std::ceil(to)) - 1;
    if (first < lo) first = lo;
    if (last > hi) last = hi;
    for (long long m = first; m <= last; ++m)
    {
      const long long c = static_cast<long long>(std::floor(crossFrom + (double(m) - from) / (to - from) * (crossTo - crossFrom) + 0.5));
      if (columns)
        lice_pen::spanY(rows, box, m, c, fill, pen, ia);
      else
        lice_pen::spanX(rows, box, c, fill, m, pen, ia);
    }
  }
}

void fillCubic(LICE_IBitmap* dest, const Point (&p)[4], int fill, bool columns, LICE_pixel colour, float alpha, int mode,
               float tol)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable()) return;
  const Flattened f(p, tol);
  lice_pen::withSolidPen<CopyShortcuts::Quantised>(colour, alpha, mode, [&](const auto& pen, int ia) {
    fillToLine(rows, f, fill, columns, pen, ia);
  });
}

}  // namespace

void LICE_DrawQBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                      LICE_pixel colour, float alpha, int mode, bool aa, float tol)
{
  if (!dest) return;
  // The cubic with control points two thirds of the way toward the quadratic's control point.
  const Point p[4] = {{xstart, ystart},
                      {xstart + 2.0 * (double(xctl) - xstart) / 3.0, ystart + 2.0 * (double(yctl) - ystart) / 3.0},
                      {xend + 2.0 * (double(xctl) - xend) / 3.0, yend + 2.0 * (double(yctl) - yend) / 3.0},
                      {xend, yend}};
  const Flattened f(p, tol);
  drawFlattened(dest, f, colour, alpha, mode, aa);
}

void LICE_DrawCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, LICE_pixel colour, float alpha, int mode, bool aa, float tol)
{
  if (!dest) return;
  const Point p[4] = {{xstart, ystart}, {xctl1, yctl1}, {xctl2, yctl2}, {xend, yend}};
  const Flattened f(p, tol);
  drawFlattened(dest, f, colour, alpha, mode, aa);
}

void LICE_FillCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int yfill, LICE_pixel colour, float alpha, int mode,
                      float tol)
{
  const Point p[4] = {{xstart, ystart}, {xctl1, yctl1}, {xctl2, yctl2}, {xend, yend}};
  fillCubic(dest, p, yfill, true, colour, alpha, mode, tol);
}

void LICE_FillCBezierX(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                       float yctl2, float xend, float yend, int xfill, LICE_pixel colour, float alpha, int mode,
                       float tol)
{
  const Point p[4] = {{xstart, ystart}, {xctl1, yctl1}, {xctl2, yctl2}, {xend, yend}};
  fillCubic(dest, p, xfill, false, colour, alpha, mode, tol);
}
