// A small LV2 UI host for tests: loads a module's lv2ui_descriptor, gives the UI a top-level
// window of its own as ui:parent, records what the UI writes to the plug-in's ports and tells the
// host (writes, touches, resizes), sends it port events, drives its idle interface, and reads the
// window's pixels back.
#pragma once

#include <X11/Xlib.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrune_test {

// One call of the UI into the host, in order.
struct UIHostCall {
  enum Kind { kWrite, kTouch };
  Kind kind;
  uint32_t port;
  // kWrite: the port value; kTouch: 1 grabbed, 0 released.
  float value;
  bool operator==(const UIHostCall& o) const { return kind == o.kind && port == o.port && value == o.value; }
};
std::ostream& operator<<(std::ostream& os, const UIHostCall& call);

class Lv2UIHost {
 public:
  // Opens modulePath and connects to $DISPLAY. Loaded() tells whether both worked.
  explicit Lv2UIHost(const std::string& modulePath);
  // Cleans the UI up, destroys the window, closes the connection and the module.
  ~Lv2UIHost();
  Lv2UIHost(const Lv2UIHost&) = delete;
  Lv2UIHost& operator=(const Lv2UIHost&) = delete;

  bool Loaded() const { return module_ && display_ && descriptor_; }
  const LV2UI_Descriptor* Descriptor() const { return descriptor_; }

  // Maps a top-level window of width x height at (kWindowX, kWindowY) and instantiates the UI for
  // pluginUri with it as parent (when withParent), offering ui:touch and ui:resize when asked.
  // False when the UI refused.
  bool Instantiate(const char* pluginUri, bool withParent = true, bool offerTouch = true, bool offerResize = true,
                   int width = 600, int height = 600);
  // Cleans the UI up (nothing when none is instantiated).
  void Cleanup();
  // Destroys the parent window, as a host closing its window before the UI would.
  void DestroyParentWindow();

  Display* GetDisplay() const { return display_; }
  Window ParentWindow() const { return window_; }
  // The widget the UI returned: its X window.
  Window Widget() const { return widget_; }
  const std::vector<UIHostCall>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // The last size the UI asked for through ui:resize (0 x 0: none).
  int RequestedWidth() const { return requestedWidth_; }
  int RequestedHeight() const { return requestedHeight_; }

  // Sends a control port value.
  void PortEvent(uint32_t port, float value);
  // Sends any port event as it stands.
  void RawPortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  // One idle call; returns its answer (non-zero: the UI closed).
  int Idle();
  // Idles every 33 ms until done() holds or timeoutMs passed; returns done()'s last answer.
  bool IdleUntil(const std::function<bool()>& done, int timeoutMs = 5000);
  void IdleFor(int ms);

  // The parent window's pixels in (x, y, w, h), top row first, as XGetPixel values.
  std::vector<uint32_t> Grab(int x, int y, int w, int h);
  // The pixel value the server stores for a colour at the parent's depth (24-bit TrueColor).
  static uint32_t Pixel(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
  // Window (x, y) on the root window, for XTEST input.
  void ToRoot(int x, int y, int* pRootX, int* pRootY) const;

  static constexpr int kWindowX = 30, kWindowY = 20;

 private:
  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);
  static int Resize(LV2UI_Feature_Handle handle, int width, int height);

  void* module_ = nullptr;
  Display* display_ = nullptr;
  const LV2UI_Descriptor* descriptor_ = nullptr;
  const LV2UI_Idle_Interface* idle_ = nullptr;
  LV2UI_Handle ui_ = nullptr;
  Window window_ = 0;
  Window widget_ = 0;
  std::vector<UIHostCall> calls_;
  int requestedWidth_ = 0, requestedHeight_ = 0;
  LV2UI_Touch touch_;
  LV2UI_Resize resize_;
};

}  // namespace kestrune_test
