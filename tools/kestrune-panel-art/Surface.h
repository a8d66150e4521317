#pragma once
// A drawing surface finer than the image it becomes: shapes are drawn on it without
// anti-aliasing, in image coordinates, and resolving it averages each scale x scale block of fine
// pixels into one image pixel, which gives every edge an exact coverage-weighted blend.

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "rasterizer/lice_membitmap.h"

namespace kestrune::panelart {

constexpr double kPi = 3.14159265358979323846;

// A point in image pixels; pixel (i, j) spans i..i+1 by j..j+1.
struct Point {
  double x, y;
};

// The point at distance r from (cx, cy) in the direction angle, in radians clockwise from up.
inline Point AtAngle(double cx, double cy, double r, double angle) {
  return {cx + r * std::sin(angle), cy - r * std::cos(angle)};
}

// The colour (alpha included) of the material at an image point.
using Shader = std::function<LICE_pixel(double x, double y)>;

// A rectangle of an image, in whole image pixels.
struct Area {
  int x, y, w, h;
};

class Surface;
// Draws the outline of a painted area, in any opaque colour, onto a transparent mask surface.
using Outline = std::function<void(Surface& mask)>;

class Surface {
 public:
  // A transparent surface for a width x height image, scale x scale fine pixels per image pixel.
  Surface(int width, int height, int scale) : Surface(Area{0, 0, width, height}, scale) {}
  // A transparent surface for the given area of a larger image; drawing keeps to the image's
  // coordinates and is cut at the area's edges.
  Surface(const Area& area, int scale);

  int Left() const { return area_.x; }
  int Top() const { return area_.y; }
  int Width() const { return area_.w; }
  int Height() const { return area_.h; }
  int Scale() const { return scale_; }
  // The fine pixels, for drawing with the rasteriser directly.
  LICE_IBitmap* Fine() { return &fine_; }

  // Solid shapes. Each is combined with Copy at opacity alpha; at opacity 1 it replaces what is
  // below, transparent colours included, so a shape in 0 erases.
  void Fill(LICE_pixel colour, float alpha = 1.0f);
  void Rect(double x, double y, double w, double h, LICE_pixel colour, float alpha = 1.0f);
  // The disc of fine pixels whose centres lie within r of (cx, cy).
  void Disc(double cx, double cy, double r, LICE_pixel colour, float alpha = 1.0f);
  // A convex polygon, corners in any order.
  void Polygon(const std::vector<Point>& corners, LICE_pixel colour, float alpha = 1.0f);
  // A straight bar of the given width from a to b, square ends.
  void Bar(Point a, Point b, double width, LICE_pixel colour, float alpha = 1.0f);
  // A rectangle with corners rounded to radius.
  void RoundRect(double x, double y, double w, double h, double radius, LICE_pixel colour, float alpha = 1.0f);

  // Paints the shader's colours inside the area that outline draws, each fine pixel weighted by
  // the area's coverage times the shader's alpha, at opacity alpha. Partial paint keeps its
  // colour only over opaque fine pixels (over transparent ones it darkens, as the rasteriser's
  // source-alpha Copy does), so materials are painted opaque and their edges come from Resolve.
  void Paint(const Outline& outline, const Shader& shader, float alpha = 1.0f);
  // Paints the shader's colours over the whole surface.
  void Paint(const Shader& shader, float alpha = 1.0f);

  // The image of the area: each pixel the alpha-weighted average of its fine pixels (so
  // transparent fine pixels lend no colour to an edge), alpha the plain average.
  std::unique_ptr<LICE_MemBitmap> Resolve() const;

 private:
  double FineX(double x) const { return (x - area_.x) * scale_; }
  double FineY(double y) const { return (y - area_.y) * scale_; }
  void Paint(LICE_IBitmap* mask, const Shader& shader, float alpha);

  Area area_;
  int scale_;
  mutable LICE_MemBitmap fine_;
};

}  // namespace kestrune::panelart
