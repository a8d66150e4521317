#include "rasterizer/lice_circle.h"

#include <cmath>

#include "rasterizer/lice_solidpen.h"

using lice_pen::Box;
using lice_pen::CopyShortcuts;

namespace {

// Coverage of the small circles, radius 1.5 to 4 in half steps, each 2r + 1 pixels square, laid
// out one after the other: a ring one pixel wide around radius r, and the disc of radius r + 0.5.
// The smooth sets hold the exact coverage, the hard sets the same rounded to on or off.
  constexpr LICE_pixel_chan kOutlineSmooth[] = {
      // radius 1.5, 4 x 4
       81, 234, 234,  81,
      234,  53,  53, 234,
      234,  53,  53, 234,
       81, 234, 234,  81,
      // radius 2, 5 x 5
       36, 195, 251, 195,  36,
      195, 119,   6, 119, 195,
      251,   6,   0,   6, 251,
      195, 119,   6, 119, 195,
       36, 195, 251, 195,  36,
      // radius 2.5, 6 x 6
        6, 146, 241, 241, 146,   6,
      146, 174,  21,  21, 174, 146,
      241,  21,   0,   0,  21, 241,
      241,  21,   0,   0,  21, 241,
      146, 174,  21,  21, 174, 146,
        6, 146, 241, 241, 146,   6,
      // radius 3, 7 x 7
        0,  90, 214, 253, 214,  90,   0,
       90, 219,  60,   4,  60, 219,  90,
      214,  60,   0,   0,   0,  60, 214,
      253,   4,   0,   0,   0,   4, 253,
      214,  60,   0,   0,   0,  60, 214,
       90, 219,  60,   4,  60, 219,  90,
        0,  90, 214, 253, 214,  90,   0,
      // radius 3.5, 8 x 8
        0,  42, 178, 245, 245, 178,  42,   0,
       42, 234, 109,  14,  14, 109, 234,  42,
      178, 109,   0,   0,   0,   0, 109, 178,
      245,  14,   0,   0,   0,   0,  14, 245,
      245,  14,   0,   0,   0,   0,  14, 245,
      178, 109,   0,   0,   0,   0, 109, 178,
       42, 234, 109,  14,  14, 109, 234,  42,
        0,  42, 178, 245, 245, 178,  42,   0,
      // radius 4, 9 x 9
        0,  11, 132, 223, 255, 223, 132,  11,   0,
       11, 200, 165,  41,   2,  41, 165, 200,  11,
      132, 165,   0,   0,   0,   0,   0, 165, 132,
      223,  41,   0,   0,   0,   0,   0,  41, 223,
      255,   2,   0,   0,   0,   0,   0,   2, 255,
      223,  41,   0,   0,   0,   0,   0,  41, 223,
      132, 165,   0,   0,   0,   0,   0, 165, 132,
       11, 200, 165,  41,   2,  41, 165, 200,  11,
        0,  11, 132, 223, 255, 223, 132,  11,   0,
  };
  constexpr LICE_pixel_chan kOutlineHard[] = {
      // radius 1.5, 4 x 4
        0, 255, 255,   0,
      255,   0,   0, 255,
      255,   0,   0, 255,
        0, 255, 255,   0,
      // radius 2, 5 x 5
        0, 255, 255, 255,   0,
      255,   0,   0,   0, 255,
      255,   0,   0,   0, 255,
      255,   0,   0,   0, 255,
        0, 255, 255, 255,   0,
      // radius 2.5, 6 x 6
        0, 255, 255, 255, 255,   0,
      255, 255,   0,   0, 255, 255,
      255,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0, 255,
      255, 255,   0,   0, 255, 255,
        0, 255, 255, 255, 255,   0,
      // radius 3, 7 x 7
        0,   0, 255, 255, 255,   0,   0,
        0, 255,   0,   0,   0, 255,   0,
      255,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0, 255,
        0, 255,   0,   0,   0, 255,   0,
        0,   0, 255, 255, 255,   0,   0,
      // radius 3.5, 8 x 8
        0,   0, 255, 255, 255, 255,   0,   0,
        0, 255,   0,   0,   0,   0, 255,   0,
      255,   0,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0,   0, 255,
        0, 255,   0,   0,   0,   0, 255,   0,
        0,   0, 255, 255, 255, 255,   0,   0,
      // radius 4, 9 x 9
        0,   0, 255, 255, 255, 255, 255,   0,   0,
        0, 255, 255,   0,   0,   0, 255, 255,   0,
      255, 255,   0,   0,   0,   0,   0, 255, 255,
      255,   0,   0,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0,   0,   0, 255,
      255,   0,   0,   0,   0,   0,   0,   0, 255,
      255, 255,   0,   0,   0,   0,   0, 255, 255,
        0, 255, 255,   0,   0,   0, 255, 255,   0,
        0,   0, 255, 255, 255, 255, 255,   0,   0,
  };
  constexpr LICE_pixel_chan kDiscSmooth[] = {
      // radius 1.5, 4 x 4
       81, 234, 234,  81,
      234, 255, 255, 234,
      234, 255, 255, 234,
       81, 234, 234,  81,
      // radius 2, 5 x 5
       36, 195, 251, 195,  36,
      195, 255, 255, 255, 195,
      251, 255, 255, 255, 251,
      195, 255, 255, 255, 195,
       36, 195, 251, 195,  36,
      // radius 2.5, 6 x 6
        6, 146, 241, 241, 146,   6,
      146, 255, 255, 255, 255, 146,
      241, 255, 255, 255, 255, 241,
      241, 255, 255, 255, 255, 241,
      146, 255, 255, 255, 255, 146,
        6, 146, 241, 241, 146,   6,
      // radius 3, 7 x 7
        0,  90, 214, 253, 214,  90,   0,
       90, 255, 255, 255, 255, 255,  90,
      214, 255, 255, 255, 255, 255, 214,
      253, 255, 255, 255, 255, 255, 253,
      214, 255, 255, 255, 255, 255, 214,
       90, 255, 255, 255, 255, 255,  90,
        0,  90, 214, 253, 214,  90,   0,
      // radius 3.5, 8 x 8
        0,  42, 178, 245, 245, 178,  42,   0,
       42, 240, 255, 255, 255, 255, 240,  42,
      178, 255, 255, 255, 255, 255, 255, 178,
      245, 255, 255, 255, 255, 255, 255, 245,
      245, 255, 255, 255, 255, 255, 255, 245,
      178, 255, 255, 255, 255, 255, 255, 178,
       42, 240, 255, 255, 255, 255, 240,  42,
        0,  42, 178, 245, 245, 178,  42,   0,
      // radius 4, 9 x 9
        0,  11, 132, 223, 255, 223, 132,  11,   0,
       11, 200, 255, 255, 255, 255, 255, 200,  11,
      132, 255, 255, 255, 255, 255, 255, 255, 132,
      223, 255, 255, 255, 255, 255, 255, 255, 223,
      255, 255, 255, 255, 255, 255, 255, 255, 255,
      223, 255, 255, 255, 255, 255, 255, 255, 223,
      132, 255, 255, 255, 255, 255, 255, 255, 132,
       11, 200, 255, 255, 255, 255, 255, 200,  11,
        0,  11, 132, 223, 255, 223, 132,  11,   0,
  };
  constexpr LICE_pixel_chan kDiscHard[] = {
      // radius 1.5, 4 x 4
        0, 255, 255,   0,
      255, 255, 255, 255,
      255, 255, 255, 255,
        0, 255, 255,   0,
      // radius 2, 5 x 5
        0, 255, 255, 255,   0,
      255, 255, 255, 255, 255,
      255, 255, 255, 255, 255,
      255, 255, 255, 255, 255,
        0, 255, 255, 255,   0,
      // radius 2.5, 6 x 6
        0, 255, 255, 255, 255,   0,
      255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255,
        0, 255, 255, 255, 255,   0,
      // radius 3, 7 x 7
        0,   0, 255, 255, 255,   0,   0,
        0, 255, 255, 255, 255, 255,   0,
      255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255,
        0, 255, 255, 255, 255, 255,   0,
        0,   0, 255, 255, 255,   0,   0,
      // radius 3.5, 8 x 8
        0,   0, 255, 255, 255, 255,   0,   0,
        0, 255, 255, 255, 255, 255, 255,   0,
      255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255,
        0, 255, 255, 255, 255, 255, 255,   0,
        0,   0, 255, 255, 255, 255,   0,   0,
      // radius 4, 9 x 9
        0,   0, 255, 255, 255, 255, 255,   0,   0,
        0, 255, 255, 255, 255, 255, 255, 255,   0,
      255, 255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255, 255,
        0, 255, 255, 255, 255, 255, 255, 255,   0,
        0,   0, 255, 255, 255, 255, 255,   0,   0,
  };

struct SmallCircle
{
  float radius;
  int size;
  int offset;
};

constexpr SmallCircle kSmallCircles[] = {{1.5f, 4, 0}, {2.0f, 5, 16}, {2.5f, 6, 41}, {3.0f, 7, 77}, {3.5f, 8, 126}, {4.0f, 9, 190}};

const SmallCircle* smallCircle(float r)
{
  for (const SmallCircle& c : kSmallCircles)
    if (c.radius == r) return &c;
  return nullptr;
}

// The circle as the drawing loops see it: centre rounded to a pixel, radius kept exact for the
// anti-aliased forms and rounded for the others.
struct Circle
{
  long long cx, cy, radius;
  double exact;
  float given;
};

bool toCircle(float cx, float cy, float r, Circle& c)
{
  if (!lice_pen::sane(cx) || !lice_pen::sane(cy) || !lice_pen::sane(r) || r < 0) return false;
  c.cx = static_cast<long long>(double(cx) + 0.5);
  c.cy = static_cast<long long>(double(cy) + 0.5);
  c.radius = static_cast<long long>(double(r) + 0.5);
  c.exact = r;
  c.given = r;
  return true;
}

long long isqrt(long long v)
{
  if (v <= 0) return 0;
  long long s = static_cast<long long>(std::sqrt(double(v)));
  while (s * s > v) --s;
  while ((s + 1) * (s + 1) <= v) ++s;
  return s;
}

// The midpoint method's outline row at column offset t of the octant above the centre: the
// smallest y >= 0 with y^2 + y >= r^2 - t^2 (the pixel whose lower half-point lies inside).
long long outlineY(long long r2, long long t)
{
  const long long v = r2 - t * t;
  if (v <= 0) return 0;
  long long y = static_cast<long long>((std::sqrt(4.0 * double(v) + 1.0) - 1.0) / 2.0);
  while (y * y + y < v) ++y;
  while (y > 0 && (y - 1) * (y - 1) + (y - 1) >= v) --y;
  return y;
}

// The last column offset of the octant above the centre (t <= outlineY(t)).
long long octantEnd(long long radius)
{
  const long long r2 = radius * radius;
  long long t = static_cast<long long>(double(radius) / std::sqrt(2.0));
  while (t > 0 && t > outlineY(r2, t)) --t;
  while (t + 1 <= outlineY(r2, t + 1)) ++t;
  return t;
}

// Offsets t in 0..last whose mirrored coordinate centre + sign * t lies in lo..hi. Offset 0 is
// left to the positive sign so that no pixel is drawn twice.
bool visibleOffsets(long long centre, int sign, long long lo, long long hi, long long last, long long& from,
                    long long& to)
{
  from = sign > 0 ? lo - centre : centre - hi;
  to = sign > 0 ? hi - centre : centre - lo;
  const long long first = sign > 0 ? 0 : 1;
  if (from < first) from = first;
  if (to > last) to = last;
  return from <= to;
}

template <class Pen>
void hardOutline(const LICE_BitmapRows& rows, const Box& box, const Circle& c, const Pen& pen, int ia)
{
  if (c.radius == 0)
  {
    lice_pen::plot(rows, box, c.cx, c.cy, pen, ia);
    return;
  }
  const long long r2 = c.radius * c.radius, last = octantEnd(c.radius);
  long long from, to;
  for (int sign : {1, -1})
  {
    // Arcs above and below the centre, one pixel per column.
    if (visibleOffsets(c.cx, sign, box.l, box.r, last, from, to))
      for (long long t = from; t <= to; ++t)
      {
        const long long y = outlineY(r2, t);
        lice_pen::plot(rows, box, c.cx + sign * t, c.cy - y, pen, ia);
        lice_pen::plot(rows, box, c.cx + sign * t, c.cy + y, pen, ia);
      }
    // Arcs left and right of the centre, one pixel per row; the diagonal belongs to the above.
    if (visibleOffsets(c.cy, sign, box.t, box.b, last, from, to))
      for (long long t = from; t <= to; ++t)
      {
        const long long x = outlineY(r2, t);
        if (x == t) continue;
        lice_pen::plot(rows, box, c.cx - x, c.cy + sign * t, pen, ia);
        lice_pen::plot(rows, box, c.cx + x, c.cy + sign * t, pen, ia);
      }
  }
}

template <class Pen>
void smoothOutline(const LICE_BitmapRows& rows, const Box& box, const Circle& c, const Pen& pen, int ia)
{
  const double r2 = c.exact * c.exact;
  const long long last = static_cast<long long>(c.exact / std::sqrt(2.0));
  long long from, to;
  for (int sign : {1, -1})
  {
    if (visibleOffsets(c.cx, sign, box.l, box.r, last, from, to))
      for (long long t = from; t <= to; ++t)
      {
        const double exact = std::sqrt(r2 - double(t) * double(t));
        const long long y = static_cast<long long>(exact);
        const int far = int((exact - double(y)) * ia);
        const long long x = c.cx + sign * t;
        lice_pen::plot(rows, box, x, c.cy - y, pen, ia - far);
        lice_pen::plot(rows, box, x, c.cy - y - 1, pen, far);
        lice_pen::plot(rows, box, x, c.cy + y, pen, ia - far);
        lice_pen::plot(rows, box, x, c.cy + y + 1, pen, far);
      }
    // The side arcs mirror the above across the diagonal; on the diagonal itself the inner
    // pixel was drawn above and only the outer one is left.
    if (visibleOffsets(c.cy, sign, box.t, box.b, last, from, to))
      for (long long t = from; t <= to; ++t)
      {
        const double exact = std::sqrt(r2 - double(t) * double(t));
        const long long x = static_cast<long long>(exact);
        const int far = int((exact - double(x)) * ia);
        const long long y = c.cy + sign * t;
        if (x != t)
        {
          lice_pen::plot(rows, box, c.cx - x, y, pen, ia - far);
          lice_pen::plot(rows, box, c.cx + x, y, pen, ia - far);
        }
        lice_pen::plot(rows, box, c.cx - x - 1, y, pen, far);
        lice_pen::plot(rows, box, c.cx + x + 1, y, pen, far);
      }
  }
}

template <class Pen>
void hardDisc(const LICE_BitmapRows& rows, const Box& box, const Circle& c, const Pen& pen, int ia)
{
  const long long r2 = c.radius * c.radius, last = octantEnd(c.radius);
  const long long top = c.cy - c.radius > box.t ? c.cy - c.radius : box.t;
  const long long bottom = c.cy + c.radius < box.b ? c.cy + c.radius : box.b;
  for (long long y = top; y <= bottom; ++y)
  {
    // The widest outline pixel of this row: from the side arcs near the centre row, from the
    // arcs above and below further out.
    const long long a = y < c.cy ? c.cy - y : y - c.cy;
    const long long half = a <= last ? outlineY(r2, a) : isqrt(r2 - a * a + a - 1);
    lice_pen::spanX(rows, box, c.cx - half, c.cx + half, y, pen, ia);
  }
}

template <class Pen>
void smoothDisc(const LICE_BitmapRows& rows, const Box& box, const Circle& c, const Pen& pen, int ia)
{
  const long long reach = static_cast<long long>(c.exact);
  const long long top = c.cy - reach > box.t ? c.cy - reach : box.t;
  const long long bottom = c.cy + reach < box.b ? c.cy + reach : box.b;
  for (long long y = top; y <= bottom; ++y)
  {
    const double a = double(y - c.cy);
    const double exact = std::sqrt(c.exact * c.exact - a * a);
    const long long half = static_cast<long long>(exact);
    const int edge = int((exact - double(half)) * ia);
    lice_pen::spanX(rows, box, c.cx - half, c.cx + half, y, pen, ia);
    lice_pen::plot(rows, box, c.cx - half - 1, y, pen, edge);
    lice_pen::plot(rows, box, c.cx + half + 1, y, pen, edge);
  }
}

// The outline (or disc) of c clipped to box, with the pen and method its radius and aa ask for.
void drawCircle(const LICE_BitmapRows& rows, const Box& box, const Circle& c, bool filled, LICE_pixel colour,
                float alpha, int mode, bool aa)
{
  if (box.empty()) return;
  if (const SmallCircle* small = smallCircle(c.given))
  {
    const LICE_pixel_chan* set = filled ? (aa ? kDiscSmooth : kDiscHard) : (aa ? kOutlineSmooth : kOutlineHard);
    const long long corner = static_cast<long long>(small->radius);
    lice_pen::withSolidPen<CopyShortcuts::None>(colour, alpha, mode, [&](const auto& pen, int ia) {
      lice_pen::mask<lice_pen::CoverageWeight>(rows, box, c.cx - corner, c.cy - corner, set + small->offset,
                                               small->size, small->size, small->size, pen, ia);
    });
    return;
  }
  if (aa)
  {
    lice_pen::withSolidPen<CopyShortcuts::None>(colour, alpha, mode, [&](const auto& pen, int ia) {
      if (filled)
        smoothDisc(rows, box, c, pen, ia);
      else
        smoothOutline(rows, box, c, pen, ia);
    });
    return;
  }
  lice_pen::withSolidPen<CopyShortcuts::Quantised>(colour, alpha, mode, [&](const auto& pen, int ia) {
    if (filled)
      hardDisc(rows, box, c, pen, ia);
    else
      hardOutline(rows, box, c, pen, ia);
  });
}

void circleOrDisc(LICE_IBitmap* dest, float cx, float cy, float r, bool filled, LICE_pixel colour, float alpha,
                  int mode, bool aa)
{
  const LICE_BitmapRows rows(dest);
  Circle c;
  if (!rows.usable() || !toCircle(cx, cy, r, c)) return;
  drawCircle(rows, lice_pen::bitmapBox(rows), c, filled, colour, alpha, mode, aa);
}

}  // namespace

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel colour, float alpha, int mode, bool aa)
{
  circleOrDisc(dest, cx, cy, r, false, colour, alpha, mode, aa);
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel colour, float alpha, int mode,
                     bool aa)
{
  circleOrDisc(dest, cx, cy, r, true, colour, alpha, mode, aa);
}

void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel colour,
              float alpha, int mode, bool aa)
{
  const LICE_BitmapRows rows(dest);
  Circle c;
  if (!rows.usable() || !toCircle(cx, cy, r, c) || !std::isfinite(minAngle)) return;
  const double twoPi = 2.0 * M_PI, quarter = M_PI / 2.0;
  const double span = double(maxAngle) - double(minAngle);
  if (!(span >= 0.0)) return;
  if (span >= twoPi)
  {
    drawCircle(rows, lice_pen::bitmapBox(rows), c, false, colour, alpha, mode, aa);
    return;
  }
  // Only the angle's place on the circle matters; reducing it first keeps the cutting exact for
  // any magnitude.
  const double start = std::fmod(double(minAngle), twoPi), end = start + span;
  auto endPoint = [&](double a, long long& x, long long& y) {
    x = static_cast<long long>(double(cx) + double(r) * std::sin(a) + 0.5);
    y = static_cast<long long>(double(cy) - double(r) * std::cos(a) + 0.5);
  };
  double from = start;
  for (int piece = 0; piece < 5 && from < end; ++piece)
  {
    // Angles within a hair of a quarter are taken as on it, so float inputs such as -pi / 2
    // make no sliver pieces.
    const double hair = 1e-6;
    double to = (std::floor(from / quarter + hair) + 1.0) * quarter;
    if (to > end - hair) to = end;
    long long x0, y0, x1, y1;
    endPoint(from, x0, y0);
    endPoint(to, x1, y1);
    const Box pieceBox{int(x0 < x1 ? x0 : x1), int(y0 < y1 ? y0 : y1), int(x0 < x1 ? x1 : x0), int(y0 < y1 ? y1 : y0)};
    drawCircle(rows, lice_pen::intersect(pieceBox, lice_pen::bitmapBox(rows)), c, false, colour, alpha, mode, aa);
    from = to;
  }
}
