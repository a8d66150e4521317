#include "rasterizer/lice_line.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "rasterizer/lice_solidpen.h"

using lice_pen::CopyShortcuts;

namespace {

enum Outcode
{
  kLeftOf = 1,
  kRightOf = 2,
  kAbove = 4,
  kBelow = 8
};

template <class T>
int outcode(T x, T y, T w, T h)
{
  return (x < 0 ? kLeftOf : 0) | (x >= w ? kRightOf : 0) | (y < 0 ? kAbove : 0) | (y >= h ? kBelow : 0);
}

// Intersections are truncated toward zero for integer coordinates and kept for float ones.
template <class T>
T fromDouble(double v)
{
  return static_cast<T>(v);
}

// Cohen-Sutherland against 0..w-1 x 0..h-1. Intersections are computed in double from the
// current first end point, so nothing overflows whatever the coordinates.
template <class T>
bool clipToSize(T& x1, T& y1, T& x2, T& y2, T w, T h)
{
  T ax = x1, ay = y1, bx = x2, by = y2;
  int ca = outcode(ax, ay, w, h), cb = outcode(bx, by, w, h);
  for (int round = 0; round < 33; ++round)
  {
    if (!(ca | cb))
    {
      x1 = ax;
      y1 = ay;
      x2 = bx;
      y2 = by;
      return true;
    }
    if (ca & cb) return false;
    const bool moveFirst = ca != 0;
    const int code = moveFirst ? ca : cb;
    const double dx = double(bx) - double(ax), dy = double(by) - double(ay);
    T nx, ny;
    if (code & kBelow)
    {
      nx = fromDouble<T>(double(ax) + (double(h) - double(ay)) * dx / dy);
      ny = h - 1;
    }
    else if (code & kAbove)
    {
      nx = fromDouble<T>(double(ax) + (-double(ay)) * dx / dy);
      ny = 0;
    }
    else if (code & kRightOf)
    {
      ny = fromDouble<T>(double(ay) + dy * (double(w) - double(ax)) / dx);
      nx = w - 1;
    }
    else
    {
      ny = fromDouble<T>(double(ay) + dy * (-double(ax)) / dx);
      nx = 0;
    }
    if (moveFirst)
    {
      ax = nx;
      ay = ny;
      ca = outcode(ax, ay, w, h);
    }
    else
    {
      bx = nx;
      by = ny;
      cb = outcode(bx, by, w, h);
    }
  }
  return false;
}

int signOf(int v) { return v < 0 ? -1 : 1; }

// Every pixel from one end to the other of a horizontal or vertical line.
template <class Pen>
void straightLine(const LICE_BitmapRows& rows, int x1, int y1, int x2, int y2, const Pen& pen, int ia)
{
  const lice_pen::Box box = lice_pen::bitmapBox(rows);
  if (y1 == y2)
    lice_pen::spanX(rows, box, x1, x2, y1, pen, ia);
  else
    lice_pen::spanY(rows, box, x1, y1, y2, pen, ia);
}

// |x2 - x1| + 1 pixels, one step in x and y each.
template <class Pen>
void diagonalLine(const LICE_BitmapRows& rows, int x1, int y1, int x2, int y2, const Pen& pen, int ia)
{
  const int sx = signOf(x2 - x1), sy = signOf(y2 - y1);
  for (int i = std::abs(x2 - x1); i >= 0; --i, x1 += sx, y1 += sy) pen(rows.at(x1, y1), ia);
}

// The diagonal pixels with one pen and weight, and the two pixels completing each 2 x 2 step
// toward the next diagonal pixel with another.
template <class DiagonalPen, class SidePen>
void diagonalLineAA(const LICE_BitmapRows& rows, int x1, int y1, int x2, int y2, const DiagonalPen& diagonal,
                    int diagonalWeight, const SidePen& side, int sideWeight)
{
  const int sx = signOf(x2 - x1), sy = signOf(y2 - y1);
  for (int i = std::abs(x2 - x1); i >= 0; --i, x1 += sx, y1 += sy)
  {
    diagonal(rows.at(x1, y1), diagonalWeight);
    if (i > 0)
    {
      side(rows.at(x1 + sx, y1), sideWeight);
      side(rows.at(x1, y1 + sy), sideWeight);
    }
  }
}

// Two walkers, one from each end, sharing one 16.16 error term so that the line is symmetric.
template <class Pen>
void walkedLine(const LICE_BitmapRows& rows, int x1, int y1, int x2, int y2, const Pen& pen, int ia, bool aa)
{
  const bool xMajor = std::abs(x2 - x1) > std::abs(y2 - y1);
  int majA = xMajor ? x1 : y1, minA = xMajor ? y1 : x1;
  int majB = xMajor ? x2 : y2, minB = xMajor ? y2 : x2;
  const int majStep = signOf(majB - majA), minStep = signOf(minB - minA);
  const int length = std::abs(majB - majA);
  const int slope = int(double(std::abs(minB - minA)) / length * 65536.0);
  auto put = [&](int maj, int min, int w) { pen(xMajor ? rows.at(maj, min) : rows.at(min, maj), w); };
  const int pairs = (length + 1) / 2;

  if (!aa)
  {
    int e = 0;
    for (int i = 0; i < pairs; ++i)
    {
      put(majA, minA, ia);
      put(majB, minB, ia);
      e += slope;
      if (e >= 0x8000)
      {
        minA += minStep;
        minB -= minStep;
        e -= 0x10000;
      }
      majA += majStep;
      majB -= majStep;
    }
    if (!(length & 1)) put(majA, minA, ia);
    return;
  }

  auto weigh = [ia](int w) { return ia == 256 ? w : (w * ia) >> 8; };
  put(majA, minA, ia);
  put(majB, minB, ia);
  majA += majStep;
  majB -= majStep;
  int e = slope;
  for (int i = 1; i < pairs; ++i)
  {
    const int f = e >> 8;
    put(majA, minA, weigh(255 - f));
    put(majA, minA + minStep, weigh(f));
    put(majB, minB, weigh(255 - f));
    put(majB, minB - minStep, weigh(f));
    e += slope;
    if (e >= 0x10000)
    {
      minA += minStep;
      minB -= minStep;
      e -= 0x10000;
    }
    majA += majStep;
    majB -= majStep;
  }
  if (!(length & 1))
  {
    const int f = e >> 8;
    put(majA, minA, weigh(255 - f));
    put(majA, minA + minStep, weigh(f));
  }
}

// Ends are taken in a fixed order (smaller x first, then smaller y): the walkers' tie-breaks and
// the middle pixel then do not depend on the direction the caller gave.
void orderEnds(int& x1, int& y1, int& x2, int& y2)
{
  if (x2 < x1 || (x2 == x1 && y2 < y1))
  {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
}

// Draws a line whose end points already lie inside the bitmap.
void drawClippedLine(const LICE_BitmapRows& rows, int x1, int y1, int x2, int y2, LICE_pixel colour, float alpha,
                     int mode, bool aa)
{
  orderEnds(x1, y1, x2, y2);
  const int adx = std::abs(x2 - x1), ady = std::abs(y2 - y1);
  if (adx == 0 || ady == 0)
  {
    lice_pen::withSolidPen<CopyShortcuts::ExactOpacity>(colour, alpha, mode,
                           [&](const auto& pen, int ia) { straightLine(rows, x1, y1, x2, y2, pen, ia); });
    return;
  }
  if (adx == ady && aa)
  {
    if ((mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY && alpha == 1.0f)
    {
      diagonalLineAA(rows, x1, y1, x2, y2, lice_pen::Mixer<_LICE_CombinePixelsThreeQuarterMix2FAST>(colour), 0,
                     lice_pen::Mixer<_LICE_CombinePixelsQuarterMix2FAST>(colour), 0);
      return;
    }
    lice_pen::withSolidPen<CopyShortcuts::None>(colour, alpha, mode, [&](const auto& pen, int ia) {
      diagonalLineAA(rows, x1, y1, x2, y2, pen, (ia * 3) / 4, pen, ia / 4);
    });
    return;
  }
  if (adx == ady)
  {
    lice_pen::withSolidPen<CopyShortcuts::FullAndHalf>(colour, alpha, mode,
                           [&](const auto& pen, int ia) { diagonalLine(rows, x1, y1, x2, y2, pen, ia); });
    return;
  }
  if (aa)
    lice_pen::withSolidPen<CopyShortcuts::None>(
        colour, alpha, mode, [&](const auto& pen, int ia) { walkedLine(rows, x1, y1, x2, y2, pen, ia, true); });
  else
    lice_pen::withSolidPen<CopyShortcuts::FullAndHalf>(
        colour, alpha, mode, [&](const auto& pen, int ia) { walkedLine(rows, x1, y1, x2, y2, pen, ia, false); });
}

// Wu-style line between exact end points inside the bitmap.
template <class Pen>
void wuLine(const LICE_BitmapRows& rows, float x1, float y1, float x2, float y2, const Pen& pen, int ia)
{
  const lice_pen::Box box = lice_pen::bitmapBox(rows);
  const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
  double maj1 = xMajor ? x1 : y1, min1 = xMajor ? y1 : x1, maj2 = xMajor ? x2 : y2, min2 = xMajor ? y2 : x2;
  if (maj1 > maj2)
  {
    std::swap(maj1, maj2);
    std::swap(min1, min2);
  }
  const double gradient = maj2 > maj1 ? (min2 - min1) / (maj2 - maj1) : 0.0;
  const int first = int(std::floor(maj1 + 0.5)), last = int(std::floor(maj2 + 0.5));
  for (int m = first; m <= last; ++m)
  {
    const double exact = min1 + (m - maj1) * gradient;
    const double base = std::floor(exact);
    const int far = int((exact - base) * ia);
    const long long n = static_cast<long long>(base);
    if (xMajor)
    {
      lice_pen::plot(rows, box, m, n, pen, ia - far);
      lice_pen::plot(rows, box, m, n + 1, pen, far);
    }
    else
    {
      lice_pen::plot(rows, box, n, m, pen, ia - far);
      lice_pen::plot(rows, box, n + 1, m, pen, far);
    }
  }
}

}  // namespace

bool LICE_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi)
{
  if (!x1 || !y1 || !x2 || !y2) return false;
  long long ax = static_cast<long long>(*x1) - xlo, ay = static_cast<long long>(*y1) - ylo;
  long long bx = static_cast<long long>(*x2) - xlo, by = static_cast<long long>(*y2) - ylo;
  if (!clipToSize<long long>(ax, ay, bx, by, static_cast<long long>(xhi) - xlo, static_cast<long long>(yhi) - ylo))
    return false;
  *x1 = int(ax + xlo);
  *y1 = int(ay + ylo);
  *x2 = int(bx + xlo);
  *y2 = int(by + ylo);
  return true;
}

bool LICE_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi)
{
  if (!x1 || !y1 || !x2 || !y2) return false;
  for (float v : {*x1, *y1, *x2, *y2, xlo, ylo, xhi, yhi})
    if (!std::isfinite(v)) return false;
  // Shifted in double so that a far-off rectangle costs no precision.
  double ax = double(*x1) - xlo, ay = double(*y1) - ylo, bx = double(*x2) - xlo, by = double(*y2) - ylo;
  if (!clipToSize<double>(ax, ay, bx, by, double(xhi) - xlo, double(yhi) - ylo)) return false;
  *x1 = float(ax + xlo);
  *y1 = float(ay + ylo);
  *x2 = float(bx + xlo);
  *y2 = float(by + ylo);
  return true;
}

void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel colour, float alpha, int mode, bool aa)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable()) return;
  orderEnds(x1, y1, x2, y2);
  if (!LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, rows.width, rows.height)) return;
  drawClippedLine(rows, x1, y1, x2, y2, colour, alpha, mode, aa);
}

void LICE_FLine(LICE_IBitmap* dest, float x1, float y1, float x2, float y2, LICE_pixel colour, float alpha, int mode,
                bool aa)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable()) return;
  if (!aa)
  {
    // Ends too far off to truncate to int are first moved onto the bitmap along the line.
    if (!(lice_pen::sane(x1) && lice_pen::sane(y1) && lice_pen::sane(x2) && lice_pen::sane(y2)) &&
        !LICE_ClipFLine(&x1, &y1, &x2, &y2, 0.0f, 0.0f, float(rows.width), float(rows.height)))
      return;
    LICE_Line(dest, int(x1), int(y1), int(x2), int(y2), colour, alpha, mode, false);
    return;
  }
  if (!LICE_ClipFLine(&x1, &y1, &x2, &y2, 0.0f, 0.0f, float(rows.width), float(rows.height))) return;
  lice_pen::withSolidPen<CopyShortcuts::None>(colour, alpha, mode,
                         [&](const auto& pen, int ia) { wuLine(rows, x1, y1, x2, y2, pen, ia); });
}

void LICE_DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff, LICE_pixel colour,
                     float alpha, int mode, bool aa)
{
  const LICE_BitmapRows rows(dest);
  if (!rows.usable() || pxon <= 0 || !LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, rows.width, rows.height)) return;
  if (pxoff <= 0)
  {
    drawClippedLine(rows, x1, y1, x2, y2, colour, alpha, mode, aa);
    return;
  }
  // Dashes are measured along the major axis; each dash's ends lie on the clipped line.
  const int dx = x2 - x1, dy = y2 - y1;
  const int length = std::abs(dx) > std::abs(dy) ? std::abs(dx) : std::abs(dy);
  auto pointAt = [&](long long i, int& x, int& y) {
    x = x1 + int(std::lround(double(dx) * double(i) / (length ? length : 1)));
    y = y1 + int(std::lround(double(dy) * double(i) / (length ? length : 1)));
  };
  const long long period = static_cast<long long>(pxon) + pxoff;
  for (long long start = 0; start <= length; start += period)
  {
    const long long end = start + pxon - 1 < length ? start + pxon - 1 : length;
    int ax, ay, bx, by;
    pointAt(start, ax, ay);
    pointAt(end, bx, by);
    drawClippedLine(rows, ax, ay, bx, by, colour, alpha, mode, aa);
  }
}
