#include "tools/kestrune-panel-art/PanelArt.h"

#include <algorithm>

#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_png.h"
#include "tools/kestrune-panel-art/Background.h"
#include "tools/kestrune-panel-art/Knob.h"
#include "tools/kestrune-panel-art/PngEncoder.h"
#include "tools/kestrune-panel-art/Switches.h"
#include "tools/kestrune-panel-art/Typesetter.h"
#include "tools/kestrune-render/FileBytes.h"

namespace kestrune::panelart {
namespace {

void DrawFrame(LICE_IBitmap* panel, LICE_IBitmap* strip, const PanelImage& place, double value) {
  const int frame = FrameForValue(place.frames, value);
  LICE_Blit(panel, strip, place.x, place.y, 0, frame * place.frameHeight, place.frameWidth, place.frameHeight, 1.0f,
            LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
}

int IndexOf(const PanelImage& place) {
  for (size_t i = 0; i < std::size(PanelLayout::kImages); ++i) {
    if (PanelLayout::kImages[i].resourceId == place.resourceId) return int(i);
  }
  return -1;
}

}  // namespace

LICE_IBitmap* PanelArt::For(const PanelImage& place) const {
  const int i = IndexOf(place);
  return i < 0 ? nullptr : images[i].get();
}

Image& PanelArt::Slot(const PanelImage& place) { return images.at(IndexOf(place)); }

bool DrawPanelArt(PanelArt& art, std::string& error) {
  using namespace PanelLayout;
  const Typesetter type;
  if (!type.Ready()) {
    error = "the panel's fonts (Debian's fonts-dejavu-core) are not installed";
    return false;
  }
  Image& background = art.Slot(kBackground);
  background = DrawBackground(type);
  art.Slot(kBypass) = DrawBypassSwitch(background.get(), type);
  art.Slot(kCircuit) = DrawCircuitSwitch(background.get());
  art.Slot(kOut) = DrawKnobStrip(kOut);
  art.Slot(kHi) = DrawKnobStrip(kHi);
  // The two tone knobs are the same knob: LO's strip is HI's whenever their frames match.
  const bool sameKnob = kLo.frameWidth == kHi.frameWidth && kLo.frameHeight == kHi.frameHeight &&
                        kLo.frames == kHi.frames;
  if (sameKnob) {
    auto copy = std::make_unique<LICE_MemBitmap>();
    LICE_Copy(copy.get(), art.For(kHi));
    art.Slot(kLo) = std::move(copy);
  } else {
    art.Slot(kLo) = DrawKnobStrip(kLo);
  }
  return true;
}

std::string FileName(const PanelImage& place) {
  const std::string name = place.name;
  return name.substr(name.find_last_of('/') + 1);
}

bool WritePanelArt(const PanelArt& art, const std::string& folder, std::string& error) {
  for (const PanelImage& place : PanelLayout::kImages) {
    const std::vector<uint8_t> png = EncodePng(art.For(place));
    const std::string path = folder + "/" + FileName(place);
    if (png.empty()) {
      error = "cannot encode \"" + path + "\"";
      return false;
    }
    if (!render::WriteFileAtomically(path, png, error)) return false;
  }
  return true;
}

bool ReadPanelArt(const std::string& folder, PanelArt& art, std::string& error) {
  for (const PanelImage& place : PanelLayout::kImages) {
    const std::string path = folder + "/" + FileName(place);
    Image image(LICE_LoadPNG(path.c_str()));
    if (!image) {
      error = "cannot read the PNG image \"" + path + "\"";
      return false;
    }
    if (image->getWidth() != place.frameWidth || image->getHeight() != place.frameHeight * place.frames) {
      error = "\"" + path + "\" is " + std::to_string(image->getWidth()) + " x " + std::to_string(image->getHeight()) +
              " pixels; the panel needs " + std::to_string(place.frameWidth) + " x " +
              std::to_string(place.frameHeight * place.frames);
      return false;
    }
    art.Slot(place) = std::move(image);
  }
  return true;
}

int FrameForValue(int frames, double value) {
  return std::clamp(int((frames - 1) * value + 0.5), 0, frames - 1);
}

Image ComposePanel(const PanelArt& art, const ControlValues& values) {
  using namespace PanelLayout;
  auto panel = std::make_unique<LICE_MemBitmap>(kWidth, kHeight);
  LICE_Copy(panel.get(), art.For(kBackground));
  DrawFrame(panel.get(), art.For(kBypass), kBypass, values.bypass);
  DrawFrame(panel.get(), art.For(kCircuit), kCircuit, values.circuit);
  DrawFrame(panel.get(), art.For(kOut), kOut, values.out);
  DrawFrame(panel.get(), art.For(kHi), kHi, values.hi);
  DrawFrame(panel.get(), art.For(kLo), kLo, values.lo);
  return panel;
}

}  // namespace kestrune::panelart
