#include "tests/graphics/EditorTestKit.h"

#include <png.h>

#include "rasterizer/lice_bitmap.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace editor_test {

void InitTestParams(IPlugBase* pPlug)
{
  pPlug->GetParam(kGain)->InitDouble("Gain", 0.5, 0.0, 1.0, 0.01, "dB");
  pPlug->GetParam(kSteps)->InitInt("Steps", 3, 0, 10, "Hz");
  pPlug->GetParam(kSwitch)->InitBool("Switch", false);
  pPlug->GetParam(kMode)->InitEnum("Mode", 0, 3);
  pPlug->GetParam(kMode)->SetDisplayText(0, "A");
  pPlug->GetParam(kMode)->SetDisplayText(1, "B");
  pPlug->GetParam(kMode)->SetDisplayText(2, "C");
  pPlug->GetParam(kNeg)->InitDouble("Neg", 0.0, -1.0, 1.0, 0.1);
  pPlug->GetParam(kNeg)->NegateDisplay();
}

std::ostream& operator<<(std::ostream& os, const HostEvent& e)
{
  static const char* const kNames[] = {"begin", "automate", "end"};
  os << kNames[e.kind] << "(" << e.paramIdx;
  if (e.kind == HostEvent::kAutomate) os << ", " << e.value;
  return os << ")";
}

// ---- EditorTestPlug ----

EditorTestPlug::EditorTestPlug()
  : IPlugBase(kNumTestParams, "2-2", 1, "EditorTest", "", "Tester", 0x10000, 0x45645431, 0x54737472, 0, false, false,
              false, kAPIVST2)
{
  InitTestParams(this);
}

void EditorTestPlug::BeginInformHostOfParamChange(int paramIdx)
{
  std::lock_guard<std::mutex> lock(mEventsMutex);
  mEvents.push_back({HostEvent::kBegin, paramIdx, 0.0});
}

void EditorTestPlug::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  std::lock_guard<std::mutex> lock(mEventsMutex);
  mEvents.push_back({HostEvent::kAutomate, paramIdx, normalizedValue});
}

void EditorTestPlug::EndInformHostOfParamChange(int paramIdx)
{
  std::lock_guard<std::mutex> lock(mEventsMutex);
  mEvents.push_back({HostEvent::kEnd, paramIdx, 0.0});
}

std::vector<HostEvent> EditorTestPlug::Events()
{
  std::lock_guard<std::mutex> lock(mEventsMutex);
  return mEvents;
}

void EditorTestPlug::ClearEvents()
{
  std::lock_guard<std::mutex> lock(mEventsMutex);
  mEvents.clear();
}

// ---- EditorVSTPlug ----

EditorVSTPlug::EditorVSTPlug(IPlugInstanceInfo info, int editorWidth, int editorHeight)
  : IPlugVST(info, kNumTestParams, "1-1 2-2", 1, "EditorVST", "", "Tester", 0x10000, 0x45645632, 0x54737472)
{
  InitTestParams(this);
  if (editorWidth > 0 && editorHeight > 0)
  {
    mEditor = new IGraphicsHeadless(this, editorWidth, editorHeight);
    AttachGraphics(mEditor);
  }
  MakeDefaultPreset("first", 1);
}

void EditorVSTPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  for (int c = 0; c < NOutChannels(); ++c)
    for (int s = 0; s < nFrames; ++s) outputs[c][s] = 0.5 * inputs[c][s];
}

AEffect* EditorVSTPlugEntry(audioMasterCallback hostCallback)
{
  IPlugInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  EditorVSTPlug* pPlug = new EditorVSTPlug(info, 200, 100);
  pPlug->EnsureDefaultPreset();
  return pPlug->GetAEffect();
}

// ---- ProbeControl ----

namespace {

std::string Mods(const IMouseMod* pMod)
{
  std::string text;
  if (!pMod) return text;
  if (pMod->L) text += " L";
  if (pMod->R) text += " R";
  if (pMod->S) text += " S";
  if (pMod->C) text += " C";
  if (pMod->A) text += " A";
  return text;
}

std::string Numbers(std::initializer_list<int> values)
{
  std::string text;
  for (int v : values) text += " " + std::to_string(v);
  return text;
}

} // namespace

void ProbeControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  calls.push_back("down" + Numbers({x, y}) + Mods(pMod));
  if (callBase) IControl::OnMouseDown(x, y, pMod);
}

void ProbeControl::OnMouseUp(int x, int y, IMouseMod*)
{
  calls.push_back("up" + Numbers({x, y}));
}

void ProbeControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*)
{
  calls.push_back("drag" + Numbers({x, y, dX, dY}));
  if (dragStep == 0.0) return;
  mValue += dY * dragStep;
  SetDirty(true);
}

void ProbeControl::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  calls.push_back("dbl" + Numbers({x, y}));
  if (callBase) IControl::OnMouseDblClick(x, y, pMod);
}

void ProbeControl::OnMouseWheel(int x, int y, IMouseMod*, int d)
{
  calls.push_back("wheel" + Numbers({x, y, d}));
  if (wheelStep == 0.0) return;
  mValue += d * wheelStep;
  SetDirty(true);
}

bool ProbeControl::OnKeyDown(int, int, int key)
{
  calls.push_back("key" + Numbers({key}));
  return takesKeys;
}

void ProbeControl::OnMouseOver(int x, int y, IMouseMod*)
{
  calls.push_back("over" + Numbers({x, y}));
}

void ProbeControl::OnMouseOut()
{
  calls.push_back("out");
}

void ProbeControl::TextFromTextEntry(const char* txt)
{
  calls.push_back(std::string("text ") + txt);
}

bool ProbeControl::Draw(IGraphics* pGraphics)
{
  ++draws;
  if (drawLog) drawLog->push_back(name);
  if (draw) draw(pGraphics, this);
  return true;
}

// ---- Pictures ----

namespace {

// Runs f(destX, destY, srcPixel) for every pixel of the source rectangle that lands inside the
// destination picture and the clip.
template <class Put>
void ForEachPlaced(Picture& dest, const Picture& src, int sx, int sy, int sw, int sh, int dx, int dy, IRECT clip,
                   Put put)
{
  for (int y = 0; y < sh; ++y)
  {
    for (int x = 0; x < sw; ++x)
    {
      const int tx = dx + x, ty = dy + y;
      if (!src.inside(sx + x, sy + y) || !dest.inside(tx, ty)) continue;
      if (tx < clip.L || tx >= clip.R || ty < clip.T || ty >= clip.B) continue;
      put(dest.at(tx, ty), src.at(sx + x, sy + y));
    }
  }
}

} // namespace

void Picture::Over(const Picture& src, int sx, int sy, int sw, int sh, int dx, int dy, IRECT clip)
{
  ForEachPlaced(*this, src, sx, sy, sw, sh, dx, dy, clip, [](LICE_pixel& d, LICE_pixel s) {
    const int a = int(LICE_GETA(s));
    if (a == 0) return;
    if (a == 255)
    {
      d = s | 0xFF000000u;
      return;
    }
    auto mix = [a](int dc, int sc) { return sc + ((dc - sc) * (255 - a)) / 256; };
    d = LICE_RGBA(mix(LICE_GETR(d), LICE_GETR(s)), mix(LICE_GETG(d), LICE_GETG(s)), mix(LICE_GETB(d), LICE_GETB(s)),
                  std::min(int(LICE_GETA(d)) + a, 255));
  });
}

void Picture::Copy(const Picture& src, int sx, int sy, int sw, int sh, int dx, int dy, IRECT clip)
{
  ForEachPlaced(*this, src, sx, sy, sw, sh, dx, dy, clip, [](LICE_pixel& d, LICE_pixel s) { d = s; });
}

void Picture::Fill(IRECT r, LICE_pixel colour)
{
  for (int y = std::max(r.T, 0); y < std::min(r.B, h); ++y)
    for (int x = std::max(r.L, 0); x < std::min(r.R, w); ++x) at(x, y) = colour;
}

Picture PictureOf(LICE_IBitmap* pBitmap)
{
  if (!pBitmap) return Picture();
  const LICE_BitmapRows rows(pBitmap);
  Picture picture(rows.width, rows.height);
  for (int y = 0; y < rows.height; ++y)
    for (int x = 0; x < rows.width; ++x) picture.at(x, y) = *rows.at(x, y);
  return picture;
}

Picture MakeFilmstrip(int frameW, int frameH, int frames, bool horizontal, unsigned seed)
{
  Picture strip(horizontal ? frameW * frames : frameW, horizontal ? frameH : frameH * frames);
  for (int f = 0; f < frames; ++f)
  {
    for (int y = 0; y < frameH; ++y)
    {
      for (int x = 0; x < frameW; ++x)
      {
        const unsigned k = seed * 7919u + unsigned(f) * 104729u + unsigned(y) * 31u + unsigned(x) * 17u;
        const bool hole = (x + 2 * y + 3 * f + int(seed)) % 7 == 0;
        const LICE_pixel colour =
          hole ? 0u : LICE_RGBA((f * 37 + int(seed) * 11) & 255, (k >> 3) & 255, (x * 9 + y * 5) & 255, 255);
        strip.at(horizontal ? f * frameW + x : x, horizontal ? y : f * frameH + y) = colour;
      }
    }
  }
  return strip;
}

std::vector<unsigned char> EncodePNG(const Picture& picture)
{
  std::vector<unsigned char> rgba(picture.px.size() * 4);
  for (size_t i = 0; i < picture.px.size(); ++i)
  {
    const LICE_pixel p = picture.px[i];
    rgba[4 * i] = static_cast<unsigned char>(LICE_GETR(p));
    rgba[4 * i + 1] = static_cast<unsigned char>(LICE_GETG(p));
    rgba[4 * i + 2] = static_cast<unsigned char>(LICE_GETB(p));
    rgba[4 * i + 3] = static_cast<unsigned char>(LICE_GETA(p));
  }
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.w);
  image.height = static_cast<png_uint_32>(picture.h);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) return {};
  std::vector<unsigned char> file(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
  file.resize(size);
  return file;
}

void AddImage(IGraphicsHeadless* pEditor, const char* name, const Picture& picture)
{
  const std::vector<unsigned char> file = EncodePNG(picture);
  pEditor->AddResource(name, file.data(), static_cast<int>(file.size()));
}

int NextBitmapId()
{
  static std::atomic<int> next{100000};
  return next++;
}

::testing::AssertionResult SamePixels(const Picture& actual, const Picture& expected)
{
  if (actual.w != expected.w || actual.h != expected.h)
    return ::testing::AssertionFailure() << "size " << actual.w << "x" << actual.h << ", expected " << expected.w
                                         << "x" << expected.h;
  int count = 0, firstX = -1, firstY = -1;
  IRECT box(expected.w, expected.h, -1, -1);
  for (int y = 0; y < expected.h; ++y)
  {
    for (int x = 0; x < expected.w; ++x)
    {
      if (actual.at(x, y) == expected.at(x, y)) continue;
      if (!count++)
      {
        firstX = x;
        firstY = y;
      }
      box = IRECT(std::min(box.L, x), std::min(box.T, y), std::max(box.R, x + 1), std::max(box.B, y + 1));
    }
  }
  if (!count) return ::testing::AssertionSuccess();
  char pixels[64];
  snprintf(pixels, sizeof(pixels), "0x%08X instead of 0x%08X", actual.at(firstX, firstY), expected.at(firstX, firstY));
  return ::testing::AssertionFailure() << count << " pixels differ, first at (" << firstX << ", " << firstY
                                       << "): " << pixels << "; within (" << box.L << ", " << box.T << ")-(" << box.R
                                       << ", " << box.B << ")";
}

} // namespace editor_test
