#include "tools/kestrune-render/X11EditorWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace kestrune::render {
namespace {

constexpr int kLeastIdleCalls = 3;
constexpr int kMostIdleCalls = 60;
constexpr auto kIdleInterval = std::chrono::milliseconds(33);
constexpr int kMapTimeoutMs = 5000;

// The tool's connection to the X server, open for the object's lifetime.
class ScopedDisplay {
 public:
  explicit ScopedDisplay(const char* name) : display_(XOpenDisplay(name)) {}
  ~ScopedDisplay() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  ScopedDisplay(const ScopedDisplay&) = delete;
  ScopedDisplay& operator=(const ScopedDisplay&) = delete;
  Display* Get() const { return display_; }

 private:
  Display* display_;
};

// While it lives, protocol errors on one connection are counted instead of ending the process (as
// Xlib's default handler would); errors on other connections, such as a plug-in's own, go to the
// handler that was installed before.
class ScopedErrorCount {
 public:
  explicit ScopedErrorCount(Display* watched) : previous_(XSetErrorHandler(Handle)) {
    watched_ = watched;
    count_ = 0;
    outer_ = previous_;
  }
  ~ScopedErrorCount() {
    XSetErrorHandler(previous_);
    watched_ = nullptr;
  }
  ScopedErrorCount(const ScopedErrorCount&) = delete;
  ScopedErrorCount& operator=(const ScopedErrorCount&) = delete;
  // Errors counted so far, after the server has handled everything sent.
  int Errors() const {
    XSync(watched_, False);
    return count_;
  }

 private:
  static int Handle(Display* display, XErrorEvent* event) {
    if (display == watched_) {
      ++count_;
      return 0;
    }
    return outer_ != nullptr ? outer_(display, event) : 0;
  }
  using Handler = int (*)(Display*, XErrorEvent*);
  static inline Display* watched_ = nullptr;
  static inline int count_ = 0;
  static inline Handler outer_ = nullptr;
  Handler previous_;
};

// A top-level window at the screen's origin that no window manager moves or decorates, destroyed
// with the object.
class HostWindow {
 public:
  HostWindow(Display* display, int width, int height) : display_(display) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask;
    window_ = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XStoreName(display, window_, "kestrune-render");
  }
  ~HostWindow() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  Window Id() const { return window_; }

  // Maps and raises the window; returns once the server has shown it, false after a time-out.
  bool Show() {
    XMapRaised(display_, window_);
    XFlush(display_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMapTimeoutMs);
    XEvent event;
    for (;;) {
      if (XCheckTypedWindowEvent(display_, window_, MapNotify, &event)) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd wait{ConnectionNumber(display_), POLLIN, 0};
      poll(&wait, 1, static_cast<int>(left.count()));
      XPending(display_);
    }
  }

  bool HasChild() const {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window_, &root, &parent, &children, &count)) return false;
    if (children != nullptr) XFree(children);
    return count > 0;
  }

 private:
  Display* display_;
  Window window_;
};

// effEditOpen in a window, and effEditClose when the object goes.
class OpenEditor {
 public:
  OpenEditor(PluginInstance& plugin, Window window)
      : plugin_(plugin), answer_(plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(window)))) {}
  ~OpenEditor() { plugin_.Dispatch(effEditClose); }
  OpenEditor(const OpenEditor&) = delete;
  OpenEditor& operator=(const OpenEditor&) = delete;
  intptr_t Answer() const { return answer_; }

 private:
  PluginInstance& plugin_;
  intptr_t answer_;
};

// The editor's size from effEditGetRect; false when it reports none.
bool EditorSize(PluginInstance& plugin, int& width, int& height) {
  ERect* rect = nullptr;
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  if (rect == nullptr) return false;
  width = rect->right - rect->left;
  height = rect->bottom - rect->top;
  return width > 0 && height > 0 && width <= kLargestEditorSide && height <= kLargestEditorSide;
}

// One colour channel of a TrueColor pixel, widened or narrowed to 8 bits.
uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = __builtin_ctzl(mask);
  const unsigned long top = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 + top / 2) / static_cast<uint32_t>(top);
}

// The window's pixels as opaque 0xFFRRGGBB words; empty when they cannot be read.
std::vector<uint32_t> Grab(Display* display, Window window, int width, int height, const Visual* visual) {
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                            ZPixmap);
  if (image == nullptr) return pixels;
  pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      pixels.push_back(0xFF000000u | Channel(p, visual->red_mask) << 16 | Channel(p, visual->green_mask) << 8 |
                       Channel(p, visual->blue_mask));
    }
  }
  XDestroyImage(image);
  return pixels;
}

}  // namespace

bool CaptureEditorInX11Window(PluginInstance& plugin, const char* displayName, EditorPicture& picture,
                              std::string& error) {
  const std::string name = displayName != nullptr ? displayName : "";
  ScopedDisplay connection(displayName);
  Display* display = connection.Get();
  if (display == nullptr) {
    error = "cannot open the X display \"" + name + "\" to show the plug-in's editor in";
    return false;
  }
  const int screen = DefaultScreen(display);
  const Visual* visual = DefaultVisual(display, screen);
  if (visual->c_class != TrueColor) {
    error = "the X display \"" + name + "\" has no true-colour screen to read the editor's pixels from";
    return false;
  }
  ScopedErrorCount errors(display);

  // Some editors know their size only once open: the window then starts small and grows.
  int width = 1, height = 1;
  const bool sizedBeforeOpen = EditorSize(plugin, width, height);
  HostWindow window(display, width, height);
  if (!window.Show()) {
    error = "the X server did not show a window for the plug-in's editor";
    return false;
  }
  OpenEditor editor(plugin, window.Id());
  if (editor.Answer() == 0 && !window.HasChild()) {
    error = "the plug-in did not open its editor";
    return false;
  }
  int openWidth = 0, openHeight = 0;
  if (!EditorSize(plugin, openWidth, openHeight)) {
    if (!sizedBeforeOpen) {
      error = "the plug-in gives no size for its editor";
      return false;
    }
    openWidth = width, openHeight = height;
  }
  if (openWidth > DisplayWidth(display, screen) || openHeight > DisplayHeight(display, screen)) {
    error = "the plug-in's editor (" + std::to_string(openWidth) + " x " + std::to_string(openHeight) +
            " pixels) is larger than the screen of the X display \"" + name + "\"";
    return false;
  }
  if (openWidth != width || openHeight != height) {
    XResizeWindow(display, window.Id(), static_cast<unsigned>(openWidth), static_cast<unsigned>(openHeight));
    width = openWidth, height = openHeight;
  }

  // The editor draws from its idle calls; the picture is taken once two looks agree.
  std::vector<uint32_t> last;
  for (int call = 1; call <= kMostIdleCalls; ++call) {
    plugin.Dispatch(effEditIdle);
    std::this_thread::sleep_for(kIdleInterval);
    XSync(display, False);
    if (call < kLeastIdleCalls) continue;
    std::vector<uint32_t> now = Grab(display, window.Id(), width, height, visual);
    const bool settled = !now.empty() && now == last;
    last = std::move(now);
    if (settled) break;
  }
  if (last.empty() || errors.Errors() > 0) {
    error = "cannot read the plug-in's editor back from the X display \"" + name + "\"";
    return false;
  }
  picture = {width, height, std::move(last)};
  return true;
}

}  // namespace kestrune::render
