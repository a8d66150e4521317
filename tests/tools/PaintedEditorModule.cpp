// A VST 2 module with an editor whose every pixel is known: red rises from left to right, green
// from top to bottom, and blue is the "Shade" parameter (normalised, times 255, rounded), so a
// picture shows both where each pixel came from and the setting it was taken at.
//
// Built twice. The plain build answers the editor snapshot request, setting alpha to 0x7F (a
// picture of it must still be opaque). With PAINT_IN_X11_WINDOW it ignores the request and paints
// the same pixels into a child window of the one effEditOpen gives it, from its idle calls only, and
// answers 1 to every vendor-specific call without doing anything, as some modules do.
// KESTRUNE_PAINTED_EDITOR=huge makes the plain build report an editor too large to draw,
// KESTRUNE_PAINTED_EDITOR=sizeonly one it then refuses to draw.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "vst2/EditorSnapshotRequest.h"
#include "vst2/VstInterface.h"

#ifdef PAINT_IN_X11_WINDOW
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {

constexpr int kWidth = 180;
constexpr int kHeight = 100;

struct PaintedEditor {
  AEffect record{};
  float shade = 0.25f;
  ERect rect{0, 0, kHeight, kWidth};
#ifdef PAINT_IN_X11_WINDOW
  Display* display = nullptr;
  Window window = 0;
#endif
};

PaintedEditor* Self(AEffect* effect) { return static_cast<PaintedEditor*>(effect->object); }

uint32_t Pixel(int x, int y, float shade) {
  const uint32_t r = static_cast<uint32_t>(x * 255 / (kWidth - 1));
  const uint32_t g = static_cast<uint32_t>(y * 255 / (kHeight - 1));
  const uint32_t b = static_cast<uint32_t>(std::lround(shade * 255.0f));
  return r << 16 | g << 8 | b;
}

#ifdef PAINT_IN_X11_WINDOW
void OpenWindow(PaintedEditor* self, Window parent) {
  self->display = XOpenDisplay(nullptr);
  if (self->display == nullptr) return;
  self->window = XCreateSimpleWindow(self->display, parent, 0, 0, kWidth, kHeight, 0, 0, 0);
  XMapWindow(self->display, self->window);
  XSync(self->display, False);
}

void Paint(PaintedEditor* self) {
  if (self->display == nullptr) return;
  Display* display = self->display;
  Visual* visual = DefaultVisual(display, DefaultScreen(display));
  auto* data = static_cast<char*>(std::malloc(static_cast<size_t>(kWidth) * kHeight * 4));
  XImage* image = XCreateImage(display, visual, static_cast<unsigned>(DefaultDepth(display, DefaultScreen(display))),
                               ZPixmap, 0, data, kWidth, kHeight, 32, 0);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t p = Pixel(x, y, self->shade);
      XPutPixel(image, x, y, (p >> 16 & 255) << __builtin_ctzl(visual->red_mask) |
                                 (p >> 8 & 255) << __builtin_ctzl(visual->green_mask) |
                                 (p & 255) << __builtin_ctzl(visual->blue_mask));
    }
  }
  GC gc = XCreateGC(display, self->window, 0, nullptr);
  XPutImage(display, self->window, gc, image, 0, 0, 0, 0, kWidth, kHeight);
  XFreeGC(display, gc);
  XDestroyImage(image);
  XSync(display, False);
}

void CloseWindow(PaintedEditor* self) {
  if (self->display == nullptr) return;
  XDestroyWindow(self->display, self->window);
  XCloseDisplay(self->display);
  self->display = nullptr;
}
#else
bool Mode(const char* mode) {
  const char* asked = std::getenv("KESTRUNE_PAINTED_EDITOR");
  return asked != nullptr && std::strcmp(asked, mode) == 0;
}
#endif

intptr_t Dispatcher(AEffect* effect, int32_t opcode, [[maybe_unused]] int32_t index, intptr_t, void* ptr, float) {
  PaintedEditor* self = Self(effect);
  switch (opcode) {
    case effClose:
#ifdef PAINT_IN_X11_WINDOW
      CloseWindow(self);
#endif
      delete self;
      return 0;
    case effGetParamName:
      std::strcpy(static_cast<char*>(ptr), "Shade");
      return 0;
    case effEditGetRect:
      *static_cast<ERect**>(ptr) = &self->rect;
      return 1;
#ifdef PAINT_IN_X11_WINDOW
    case effEditOpen:
      OpenWindow(self, static_cast<Window>(reinterpret_cast<uintptr_t>(ptr)));
      return self->display != nullptr ? 1 : 0;
    case effEditIdle:
      Paint(self);
      return 0;
    case effEditClose:
      CloseWindow(self);
      return 0;
    case effVendorSpecific:
      return 1;
#else
    case effVendorSpecific: {
      if (index != kEditorSnapshotRequest) return 0;
      auto* request = static_cast<EditorSnapshotRequest*>(ptr);
      const int width = Mode("huge") ? 1 << 20 : kWidth;
      if (request->pixels == nullptr) {
        request->width = width;
        request->height = kHeight;
        return 1;
      }
      if (Mode("sizeonly") || request->width != width || request->height != kHeight) return 0;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) request->pixels[y * kWidth + x] = 0x7F000000u | Pixel(x, y, self->shade);
      }
      return 1;
    }
#endif
    default:
      return 0;
  }
}

void Process(AEffect*, float** inputs, float** outputs, int32_t frames) {
  for (int c = 0; c < 2; ++c) std::memcpy(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(frames));
}
void SetParameter(AEffect* effect, int32_t, float value) { Self(effect)->shade = value; }
float GetParameter(AEffect* effect, int32_t) { return Self(effect)->shade; }

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
  auto* self = new PaintedEditor();
  AEffect& r = self->record;
  r.magic = kEffectMagic;
  r.dispatcher = Dispatcher;
  r.setParameter = SetParameter;
  r.getParameter = GetParameter;
  r.processReplacing = Process;
  r.numPrograms = 1;
  r.numParams = 1;
  r.numInputs = 2;
  r.numOutputs = 2;
  r.flags = effFlagsCanReplacing | effFlagsHasEditor;
  r.object = self;
  r.uniqueID = ('P' << 24) | ('n' << 16) | ('t' << 8) | 'E';
  r.version = 1;
  return &r;
}
