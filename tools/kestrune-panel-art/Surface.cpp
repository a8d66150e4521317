#include "tools/kestrune-panel-art/Surface.h"

#include <algorithm>
#include <cmath>

#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_polygon.h"
#include "tools/kestrune-panel-art/Colour.h"

namespace kestrune::panelart {
namespace {

constexpr int kCopy = LICE_BLIT_MODE_COPY;
constexpr int kOver = LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA;

// The bounding box of the covered fine pixels, as x0, y0, x1, y1 (exclusive); empty when none.
struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

Box CoveredBox(LICE_IBitmap* bitmap) {
  const LICE_BitmapRows rows(bitmap);
  Box box{rows.width, rows.height, 0, 0};
  for (int y = 0; y < rows.height; ++y) {
    const LICE_pixel* row = rows.row(y);
    for (int x = 0; x < rows.width; ++x) {
      if (LICE_GETA(row[x]) == 0) continue;
      box.x0 = std::min(box.x0, x);
      box.x1 = std::max(box.x1, x + 1);
      box.y0 = std::min(box.y0, y);
      box.y1 = std::max(box.y1, y + 1);
    }
  }
  return box;
}

}  // namespace

Surface::Surface(const Area& area, int scale) : area_(area), scale_(scale), fine_(area.w * scale, area.h * scale) {
  LICE_Clear(&fine_, 0);
}

void Surface::Fill(LICE_pixel colour, float alpha) { Rect(area_.x, area_.y, area_.w, area_.h, colour, alpha); }

void Surface::Rect(double x, double y, double w, double h, LICE_pixel colour, float alpha) {
  const int x0 = int(std::lround(FineX(x))), y0 = int(std::lround(FineY(y)));
  const int x1 = int(std::lround(FineX(x + w))), y1 = int(std::lround(FineY(y + h)));
  LICE_FillRect(&fine_, x0, y0, x1 - x0, y1 - y0, colour, alpha, kCopy);
}

void Surface::Disc(double cx, double cy, double r, LICE_pixel colour, float alpha) {
  const double fx = FineX(cx), fy = FineY(cy), fr = r * scale_;
  const int top = int(std::floor(fy - fr)), bottom = int(std::ceil(fy + fr));
  for (int row = top; row <= bottom; ++row) {
    const double dy = row + 0.5 - fy;
    if (std::fabs(dy) > fr) continue;
    const double half = std::sqrt(fr * fr - dy * dy);
    // Fine pixels whose centres x + 0.5 lie within fx - half .. fx + half.
    const int x0 = int(std::ceil(fx - half - 0.5)), x1 = int(std::floor(fx + half - 0.5));
    if (x1 >= x0) LICE_FillRect(&fine_, x0, row, x1 - x0 + 1, 1, colour, alpha, kCopy);
  }
}

void Surface::Polygon(const std::vector<Point>& corners, LICE_pixel colour, float alpha) {
  std::vector<int> xs, ys;
  for (const Point& p : corners) {
    xs.push_back(int(std::lround(FineX(p.x) - 0.5)));
    ys.push_back(int(std::lround(FineY(p.y) - 0.5)));
  }
  LICE_FillConvexPolygon(&fine_, xs.data(), ys.data(), int(corners.size()), colour, alpha, kCopy);
}

void Surface::Bar(Point a, Point b, double width, LICE_pixel colour, float alpha) {
  const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
  if (length <= 0) return;
  const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
  Polygon({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}, colour, alpha);
}

void Surface::RoundRect(double x, double y, double w, double h, double radius, LICE_pixel colour, float alpha) {
  radius = std::clamp(radius, 0.0, std::min(w, h) / 2);
  // Row by row, so that no fine pixel is drawn twice (which would show at opacities below 1).
  const double fx0 = FineX(x), fx1 = FineX(x + w), fy0 = FineY(y), fy1 = FineY(y + h), fr = radius * scale_;
  for (int row = int(std::floor(fy0)); row < int(std::ceil(fy1)); ++row) {
    const double cy = row + 0.5;
    if (cy < fy0 || cy > fy1) continue;
    const double dy = std::max({fy0 + fr - cy, cy - (fy1 - fr), 0.0});
    if (dy > fr) continue;
    const double inset = fr - std::sqrt(fr * fr - dy * dy);
    const int x0 = int(std::ceil(fx0 + inset - 0.5)), x1 = int(std::floor(fx1 - inset - 0.5));
    if (x1 >= x0) LICE_FillRect(&fine_, x0, row, x1 - x0 + 1, 1, colour, alpha, kCopy);
  }
}

void Surface::Paint(const Outline& outline, const Shader& shader, float alpha) {
  Surface mask(area_, scale_);
  outline(mask);
  Paint(mask.Fine(), shader, alpha);
}

void Surface::Paint(const Shader& shader, float alpha) {
  Surface everywhere(area_, scale_);
  everywhere.Fill(Rgb(255, 255, 255));
  Paint(everywhere.Fine(), shader, alpha);
}

void Surface::Paint(LICE_IBitmap* maskBits, const Shader& shader, float alpha) {
  const Box box = CoveredBox(maskBits);
  if (box.Empty()) return;
  LICE_MemBitmap texture(box.x1 - box.x0, box.y1 - box.y0);
  const LICE_BitmapRows maskRows(maskBits), textureRows(&texture);
  for (int y = box.y0; y < box.y1; ++y) {
    const LICE_pixel* coverage = maskRows.row(y);
    LICE_pixel* out = textureRows.row(y - box.y0);
    for (int x = box.x0; x < box.x1; ++x) {
      const unsigned cover = LICE_GETA(coverage[x]);
      LICE_pixel colour = 0;
      if (cover != 0) {
        colour = shader(area_.x + (x + 0.5) / scale_, area_.y + (y + 0.5) / scale_);
        colour = (colour & 0xFFFFFFu) | ((LICE_GETA(colour) * cover + 127) / 255) << 24;
      }
      out[x - box.x0] = colour;
    }
  }
  LICE_Blit(&fine_, &texture, box.x0, box.y0, nullptr, alpha, kOver);
}

std::unique_ptr<LICE_MemBitmap> Surface::Resolve() const {
  const int width = area_.w, height = area_.h;
  auto image = std::make_unique<LICE_MemBitmap>(width, height);
  const LICE_BitmapRows fine(&fine_), out(image.get());
  const int n = scale_ * scale_;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint64_t a = 0, r = 0, g = 0, b = 0;
      for (int j = 0; j < scale_; ++j) {
        const LICE_pixel* row = fine.row(y * scale_ + j) + x * scale_;
        for (int i = 0; i < scale_; ++i) {
          const LICE_pixel p = row[i];
          const unsigned pa = LICE_GETA(p);
          a += pa;
          r += LICE_GETR(p) * pa;
          g += LICE_GETG(p) * pa;
          b += LICE_GETB(p) * pa;
        }
      }
      LICE_pixel pixel = 0;
      if (a != 0) {
        pixel = LICE_RGBA(unsigned((r + a / 2) / a), unsigned((g + a / 2) / a), unsigned((b + a / 2) / a),
                          unsigned((a + n / 2) / n));
      }
      *out.at(x, y) = pixel;
    }
  }
  return image;
}

}  // namespace kestrune::panelart
