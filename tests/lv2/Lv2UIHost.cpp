#include "tests/lv2/Lv2UIHost.h"

#include <X11/Xutil.h>
#include <dlfcn.h>

#include <chrono>
#include <cstring>
#include <ostream>
#include <thread>

namespace kestrune_test {

std::ostream& operator<<(std::ostream& os, const UIHostCall& call) {
  return os << (call.kind == UIHostCall::kWrite ? "write port " : "touch port ") << call.port << ": " << call.value;
}

Lv2UIHost::Lv2UIHost(const std::string& modulePath) {
  module_ = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  display_ = XOpenDisplay(nullptr);
  if (!module_) return;
  auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(module_, "lv2ui_descriptor"));
  descriptor_ = entry ? entry(0) : nullptr;
  if (descriptor_ && descriptor_->extension_data)
    idle_ = static_cast<const LV2UI_Idle_Interface*>(descriptor_->extension_data(LV2_UI__idleInterface));
  touch_ = {this, Touch};
  resize_ = {this, Resize};
}

Lv2UIHost::~Lv2UIHost() {
  Cleanup();
  if (display_) {
    DestroyParentWindow();
    XCloseDisplay(display_);
  }
  if (module_) dlclose(module_);
}

bool Lv2UIHost::Instantiate(const char* pluginUri, bool withParent, bool offerTouch, bool offerResize, int width,
                            int height) {
  if (!Loaded()) return false;
  Cleanup();
  if (!window_) {
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), kWindowX, kWindowY, unsigned(width),
                                  unsigned(height), 0, 0, BlackPixel(display_, screen));
    XSelectInput(display_, window_, StructureNotifyMask);
    XMapWindow(display_, window_);
    XEvent event;
    do XWindowEvent(display_, window_, StructureNotifyMask, &event);
    while (event.type != MapNotify);
  }
  const LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(window_))};
  const LV2_Feature idle = {LV2_UI__idleInterface, nullptr};
  const LV2_Feature touch = {LV2_UI__touch, &touch_};
  const LV2_Feature resize = {LV2_UI__resize, &resize_};
  std::vector<const LV2_Feature*> features = {&idle};
  if (withParent) features.push_back(&parent);
  if (offerTouch) features.push_back(&touch);
  if (offerResize) features.push_back(&resize);
  features.push_back(nullptr);

  LV2UI_Widget widget = nullptr;
  ui_ = descriptor_->instantiate(descriptor_, pluginUri, "/nonexistent/", Write, this, &widget, features.data());
  widget_ = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
  return ui_ != nullptr;
}

void Lv2UIHost::Cleanup() {
  if (!ui_) return;
  descriptor_->cleanup(ui_);
  ui_ = nullptr;
  widget_ = 0;
}

void Lv2UIHost::DestroyParentWindow() {
  if (!window_) return;
  XDestroyWindow(display_, window_);
  XSync(display_, False);
  window_ = 0;
}

void Lv2UIHost::PortEvent(uint32_t port, float value) {
  RawPortEvent(port, sizeof(float), 0, &value);
}

void Lv2UIHost::RawPortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  if (ui_ && descriptor_->port_event) descriptor_->port_event(ui_, port, size, format, buffer);
}

int Lv2UIHost::Idle() {
  return ui_ && idle_ ? idle_->idle(ui_) : 1;
}

bool Lv2UIHost::IdleUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Idle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(33));
  }
}

void Lv2UIHost::IdleFor(int ms) {
  IdleUntil([] { return false; }, ms);
}

std::vector<uint32_t> Lv2UIHost::Grab(int x, int y, int w, int h) {
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(display_, window_, x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, col, row)));
  XDestroyImage(image);
  return pixels;
}

void Lv2UIHost::ToRoot(int x, int y, int* pRootX, int* pRootY) const {
  Window child;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x, y, pRootX, pRootY, &child);
}

void Lv2UIHost::Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                      const void* buffer) {
  auto* host = static_cast<Lv2UIHost*>(controller);
  float value = 0.f;
  // Anything but one control port value is recorded as not-a-number, which no expected call equals.
  if (format == 0 && size == sizeof(float)) memcpy(&value, buffer, sizeof(float));
  else value = __builtin_nanf("");
  host->calls_.push_back({UIHostCall::kWrite, port, value});
}

void Lv2UIHost::Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
  static_cast<Lv2UIHost*>(handle)->calls_.push_back({UIHostCall::kTouch, port, grabbed ? 1.f : 0.f});
}

int Lv2UIHost::Resize(LV2UI_Feature_Handle handle, int width, int height) {
  auto* host = static_cast<Lv2UIHost*>(handle);
  host->requestedWidth_ = width;
  host->requestedHeight_ = height;
  return 0;
}

}  // namespace kestrune_test
