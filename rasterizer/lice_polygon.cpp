#include "rasterizer/lice_polygon.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "rasterizer/lice_solidpen.h"

using lice_pen::CopyShortcuts;

namespace {

struct Vertex
{
  int x, y;
};

bool rowOrder(const Vertex& a, const Vertex& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; }

// Coordinates are widened to 64 bits so that no difference or 16.16 product can overflow.
template <class Pen>
void trapezoid(const LICE_BitmapRows& rows, long long x1a, long long x1b, long long y1, long long x2a, long long x2b,
               long long y2, const Pen& pen, int ia)
{
  if (y1 > y2)
  {
    std::swap(y1, y2);
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
  }
  const lice_pen::Box box = lice_pen::bitmapBox(rows);
  const long long top = std::max<long long>(y1, box.t), bottom = std::min<long long>(y2, box.b);
  const long long height = y2 - y1;
  const long long stepA = height ? (x2a - x1a) * 65536 / height : 0;
  const long long stepB = height ? (x2b - x1b) * 65536 / height : 0;
  for (long long y = top; y <= bottom; ++y)
  {
    const long long d = y - y1;
    const long long xa = (x1a * 65536 + stepA * d + 0x8000) >> 16;
    const long long xb = (x1b * 65536 + stepB * d + 0x8000) >> 16;
    lice_pen::spanX(rows, box, xa, xb, y, pen, ia);
  }
}

// One side of a convex polygon from its top vertex to its bottom vertex, read at rows that
// never go back up.
class Chain
{
public:
  Chain(const Vertex* v, int n, bool rightSide) : v_(v), n_(n), right_(rightSide) {}

  // The chain's x at row y, interpolated in single precision; where chain vertices lie on row y
  // the outermost of them counts.
  long long xAt(long long y)
  {
    while (i_ + 1 < n_ && v_[i_ + 1].y < y) ++i_;
    float x = float(v_[i_].x);
    if (i_ + 1 < n_ && v_[i_ + 1].y > v_[i_].y && y > v_[i_].y)
      x += float(y - v_[i_].y) * float(double(v_[i_ + 1].x) - v_[i_].x) / float(double(v_[i_ + 1].y) - v_[i_].y);
    for (int j = i_; j < n_ && v_[j].y <= y; ++j)
      if (v_[j].y == y) x = right_ ? std::max(x, float(v_[j].x)) : std::min(x, float(v_[j].x));
    return static_cast<long long>(std::floor(double(x) + 0.5));
  }

private:
  const Vertex* v_;
  int n_;
  bool right_;
  int i_ = 0;
};

// sorted holds n >= 3 vertices in row order; left and right have room for n vertices each.
template <class Pen>
void convexPolygon(const LICE_BitmapRows& rows, Vertex* sorted, Vertex* left, Vertex* right, int n, const Pen& pen,
                   int ia)
{
  const Vertex top = sorted[0], bottom = sorted[n - 1];
  if (top.y == bottom.y)
  {
    trapezoid(rows, top.x, bottom.x, top.y, top.x, bottom.x, top.y, pen, ia);
    return;
  }
  // Vertices left of the line from the top to the bottom vertex form the left chain.
  const double dx = double(bottom.x) - top.x, dy = double(bottom.y) - top.y;
  int nl = 0, nr = 0;
  left[nl++] = top;
  right[nr++] = top;
  for (int i = 1; i < n - 1; ++i)
  {
    const double cross = dx * (double(sorted[i].y) - top.y) - dy * (double(sorted[i].x) - top.x);
    (cross > 0 ? left[nl++] : right[nr++]) = sorted[i];
  }
  left[nl++] = bottom;
  right[nr++] = bottom;

  Chain l(left, nl, false), r(right, nr, true);
  int i = 0;
  while (i < n - 1)
  {
    const long long bandTop = sorted[i].y;
    int next = i + 1;
    while (next < n - 1 && sorted[next].y == bandTop) ++next;
    const bool last = sorted[next].y == bottom.y;
    const long long bandBottom = last ? bottom.y : static_cast<long long>(sorted[next].y) - 1;
    const long long xl0 = l.xAt(bandTop), xr0 = r.xAt(bandTop);
    const long long xl1 = l.xAt(bandBottom), xr1 = r.xAt(bandBottom);
    trapezoid(rows, xl0, xr0, bandTop, xl1, xr1, bandBottom, pen, ia);
    if (last) break;
    i = next;
  }
}

}  // namespace

void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel colour,
                        float alpha, int mode)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable()) return;
  lice_pen::withSolidPen<CopyShortcuts::Quantised>(colour, alpha, mode, [&](const auto& pen, int ia) {
    trapezoid(rows, x1a, x1b, y1, x2a, x2b, y2, pen, ia);
  });
}

void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints, LICE_pixel colour,
                            float alpha, int mode)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable() || !x || !y || npoints < 3) return;
  constexpr int kLocal = 512;
  Vertex local[3 * kLocal];
  std::unique_ptr<Vertex, decltype(&std::free)> heap(nullptr, &std::free);
  Vertex* store = local;
  if (npoints > kLocal)
  {
    heap.reset(static_cast<Vertex*>(std::malloc(sizeof(Vertex) * 3 * size_t(npoints))));
    if (!heap) return;
    store = heap.get();
  }
  Vertex* sorted = store;
  for (int i = 0; i < npoints; ++i) sorted[i] = Vertex{x[i], y[i]};
  std::sort(sorted, sorted + npoints, rowOrder);
  lice_pen::withSolidPen<CopyShortcuts::Quantised>(colour, alpha, mode, [&](const auto& pen, int ia) {
    convexPolygon(rows, sorted, store + npoints, store + 2 * size_t(npoints), npoints, pen, ia);
  });
}

void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, LICE_pixel colour,
                       float alpha, int mode)
{
  const int x[3] = {x1, x2, x3}, y[3] = {y1, y2, y3};
  LICE_FillConvexPolygon(dest, x, y, 3, colour, alpha, mode);
}
