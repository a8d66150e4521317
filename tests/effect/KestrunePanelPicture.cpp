#include "tests/effect/KestrunePanelPicture.h"

#include <png.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "effect/Kestrune.h"
#include "effect/MakeGraphics.h"
#include "effect/PanelResources.h"
#include "platform/headless/IGraphicsHeadless.h"

using editor_test::Picture;

namespace kestrune_panel_test {

namespace {

Picture DecodeCommittedImage(const char* fileName)
{
  const char* source = std::getenv("KESTRUNE_SOURCE_DIR");
  const std::string path = std::string(source ? source : ".") + "/resources/img/" + fileName;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return Picture();
  image.format = PNG_FORMAT_ARGB;
  std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return Picture();
  Picture picture(int(image.width), int(image.height));
  for (size_t i = 0; i < picture.px.size(); ++i)
  {
    const unsigned char* p = &bytes[i * 4];
    picture.px[i] = LICE_pixel(p[0]) << 24 | LICE_pixel(p[1]) << 16 | LICE_pixel(p[2]) << 8 | p[3];
  }
  return picture;
}

} // namespace

Picture CommittedImage(const char* fileName)
{
  // Decoded once per test program: the knob strips are large.
  static std::mutex mutex;
  static std::map<std::string, Picture> decoded;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = decoded.find(fileName);
  if (found == decoded.end()) found = decoded.emplace(fileName, DecodeCommittedImage(fileName)).first;
  return found->second;
}

namespace {

void PlaceFrame(Picture& panel, const char* fileName, int frames, double value, int x, int y)
{
  const Picture strip = CommittedImage(fileName);
  const int frameHeight = strip.h / frames;
  const int frame = int(std::floor(value * (frames - 1) + 0.5));
  panel.Over(strip, 0, frame * frameHeight, strip.w, frameHeight, x, y, IRECT(0, 0, panel.w, panel.h));
}

} // namespace

Picture ComposePanel(const PanelValues& values)
{
  Picture panel = CommittedImage("bg.png");
  if (panel.w == 0) return panel;
  PlaceFrame(panel, "by.png", 2, values.bypass, kBypassX, kBypassY);
  PlaceFrame(panel, "BR.png", 2, values.circuit, kCircuitX, kCircuitY);
  PlaceFrame(panel, "OUT.png", 31, values.out, kOutX, kOutY);
  PlaceFrame(panel, "HI.png", 31, values.hi, kHiX, kHiY);
  PlaceFrame(panel, "LO.png", 31, values.lo, kLoX, kLoY);
  return panel;
}

AEffect* HeadlessKestruneEntry(audioMasterCallback hostCallback)
{
  IPlugInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  Kestrune* pPlug = new Kestrune(info);
  pPlug->EnsureDefaultPreset();
  return pPlug->GetAEffect();
}

} // namespace kestrune_panel_test

// The effect's editor, for programs that link the effect without the module: the headless host
// with the module's panel images.
IGraphics* MakeGraphics(IPlugBase* pPlug, int width, int height, int refreshFPS)
{
  IGraphicsHeadless* pGraphics = new IGraphicsHeadless(pPlug, width, height, refreshFPS);
  const EmbeddedResourceTable& images = KestrunePanelResources();
  for (size_t i = 0; i < images.count; ++i)
    pGraphics->AddResource(images.entries[i].name, images.entries[i].data, int(images.entries[i].size));
  return pGraphics;
}
