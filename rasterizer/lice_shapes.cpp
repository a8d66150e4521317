#include "rasterizer/lice_shapes.h"

#include <cmath>

#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_circle.h"
#include "rasterizer/lice_line.h"
#include "rasterizer/lice_solidpen.h"

namespace {

int saturatingAdd(int a, long long b)
{
  const long long sum = a + b;
  return sum > 0x7FFFFFFF ? 0x7FFFFFFF : (sum < -0x7FFFFFFFLL - 1 ? int(-0x7FFFFFFFLL - 1) : int(sum));
}

// Coordinates here are at most 2^31 in magnitude; the one value past int's range is held to it.
int toInt(double v)
{
  return v >= 2147483647.0 ? 0x7FFFFFFF : (v <= -2147483648.0 ? int(-0x7FFFFFFFLL - 1) : int(v));
}

}  // namespace

void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel colour, float alpha, int mode)
{
  const int right = saturatingAdd(x, w), bottom = saturatingAdd(y, h);
  LICE_Line(dest, x, y, right, y, colour, alpha, mode, false);
  LICE_Line(dest, right, y, right, bottom, colour, alpha, mode, false);
  LICE_Line(dest, right, bottom, x, bottom, colour, alpha, mode, false);
  LICE_Line(dest, x, bottom, x, y, colour, alpha, mode, false);
}

void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel bgcolour, LICE_pixel fgcolour,
                       float alpha, int mode)
{
  LICE_FillRect(dest, saturatingAdd(x, 1), saturatingAdd(y, 1), saturatingAdd(w, -1), saturatingAdd(h, -1), bgcolour,
                alpha, mode);
  LICE_DrawRect(dest, x, y, w, h, fgcolour, alpha, mode);
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel colour,
                    float alpha, int mode, bool aa)
{
  using lice_pen::sane;
  if (!dest || !sane(x) || !sane(y) || !sane(w) || !sane(h)) return;
  const double r = std::floor(std::fmin(double(cornerradius), std::fmin(w / 2.0, h / 2.0)));
  if (cornerradius <= 0 || r < 2.0)
  {
    LICE_DrawRect(dest, int(x), int(y), int(w), int(h), colour, alpha, mode);
    return;
  }
  const double right = double(x) + w, bottom = double(y) + h;
  LICE_Line(dest, toInt(x + r), toInt(y), toInt(right - r), toInt(y), colour, alpha, mode, aa);
  LICE_Line(dest, toInt(x + r - 1), toInt(bottom), toInt(right - r), toInt(bottom), colour, alpha, mode, aa);
  LICE_Line(dest, toInt(right), toInt(y + r), toInt(right), toInt(bottom - r), colour, alpha, mode, aa);
  LICE_Line(dest, toInt(x), toInt(y + r - 1), toInt(x), toInt(bottom - r), colour, alpha, mode, aa);

  const float pi = float(M_PI), rf = float(r);
  LICE_Arc(dest, float(x + r), float(y + r), rf, -pi / 2, 0.0f, colour, alpha, mode, aa);
  LICE_Arc(dest, float(right - r), float(y + r), rf, 0.0f, pi / 2, colour, alpha, mode, aa);
  LICE_Arc(dest, float(right - r), float(bottom - r), rf, pi / 2, pi, colour, alpha, mode, aa);
  LICE_Arc(dest, float(x + r), float(bottom - r), rf, pi, 3 * pi / 2, colour, alpha, mode, aa);
}
