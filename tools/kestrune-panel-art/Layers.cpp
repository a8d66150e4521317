#include "tools/kestrune-panel-art/Layers.h"

#include "rasterizer/lice_areaops.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_pixelops.h"

namespace kestrune::panelart {
namespace {

constexpr int kShadowScale = 4;

}  // namespace

void DrawOver(LICE_IBitmap* image, LICE_IBitmap* layer, int x, int y, float alpha) {
  LICE_Blit(image, layer, x, y, nullptr, alpha, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
}

void DrawOver(LICE_IBitmap* image, const Surface& layer, float alpha) {
  DrawOver(image, layer.Resolve().get(), layer.Left(), layer.Top(), alpha);
}

void CastShadow(LICE_IBitmap* image, const Area& area, const Outline& outline, int blur, float alpha) {
  Surface shape(area, kShadowScale);
  outline(shape);
  // Only the alpha of the shadow matters: its colour is black, like every transparent pixel.
  LICE_ClearRect(shape.Fine(), 0, 0, shape.Fine()->getWidth(), shape.Fine()->getHeight(), 0xFF000000u, 0);
  std::unique_ptr<LICE_MemBitmap> a = shape.Resolve();
  LICE_MemBitmap b(a->getWidth(), a->getHeight());
  LICE_Clear(&b, 0);
  for (int pass = 0; pass < blur; ++pass) {
    LICE_Blur(&b, a.get(), 0, 0, 0, 0, a->getWidth(), a->getHeight());
    LICE_Blit(a.get(), &b, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  }
  DrawOver(image, a.get(), area.x, area.y, alpha);
}

}  // namespace kestrune::panelart
