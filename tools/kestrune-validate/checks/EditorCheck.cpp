// editor: the editor opens and closes in a window of ours, over and over, with idle calls at 30 Hz
// while another thread processes and automates; its window has the size it reports, and closing it
// leaves no X window behind.

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;
constexpr auto kIdlePeriod = std::chrono::milliseconds(33);
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

std::atomic<int> xErrors{0};

// Windows vanish while they are counted, and plug-ins make mistakes on their own connections:
// errors are counted, never fatal.
int CountError(Display*, XErrorEvent*) {
  ++xErrors;
  return 0;
}

// A connection to the X display, closed when it goes.
class DisplayConnection {
 public:
  DisplayConnection() : display_(XOpenDisplay(nullptr)) {}
  ~DisplayConnection() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  DisplayConnection(const DisplayConnection&) = delete;
  DisplayConnection& operator=(const DisplayConnection&) = delete;
  Display* Get() const { return display_; }

 private:
  Display* display_;
};

int CountWindows(Display* display, Window window) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return 0;
  int total = 1;
  for (unsigned i = 0; i < count; ++i) total += CountWindows(display, children[i]);
  if (children != nullptr) XFree(children);
  return total;
}

// The window count once it stops falling towards expected: plug-ins that close their own connection
// take a moment to have their windows go.
int SettledWindowCount(Display* display, Window root, int expected) {
  int count = CountWindows(display, root);
  for (int wait = 0; wait < 40 && count > expected; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    count = CountWindows(display, root);
  }
  return count;
}

bool EditorRect(Plugin& plugin, ERect& rect) {
  ERect* reported = nullptr;
  if (plugin.Dispatch(effEditGetRect, 0, 0, &reported) == 0 || reported == nullptr) return false;
  rect = *reported;
  return true;
}

std::string Size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// Processes and automates until stopped, as a host's audio thread does while the editor is shown.
class AudioThread {
 public:
  AudioThread(Plugin& plugin, uint64_t seed) : plugin_(plugin), seed_(seed), thread_([this] { Run(); }) {}
  ~AudioThread() { Stop(); }
  // Stops and joins the thread; Failure() may be read from then on.
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  const std::string& Failure() const { return failure_; }

 private:
  void Run() {
    BlockRunner runner(plugin_, kBlock, kRate, seed_);
    Random random(seed_);
    for (int64_t position = 0; !stop_; position += kBlock) {
      if (plugin_.Params() > 0) {
        plugin_.SetParameter(random.Between(0, plugin_.Params() - 1), static_cast<float>(random.Unit()));
      }
      const std::string bad = runner.Run(SignalKind::kNoise, position, kBlock, Precision::kFloat);
      if (!bad.empty() && failure_.empty()) failure_ = bad;
    }
  }
  Plugin& plugin_;
  uint64_t seed_;
  std::atomic<bool> stop_{false};
  std::string failure_;
  std::thread thread_;
};

// One open, idle and close; false after a failure.
bool Cycle(CheckContext& context, Plugin& plugin, Display* display, Window window, int cycle) {
  const std::string which = "cycle " + std::to_string(cycle);
  context.Progress("editor " + which + ": effEditOpen");
  if (plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window)) == 0) {
    context.Fail("effEditOpen answers 0 (" + which + ") although effFlagsHasEditor is set");
    return false;
  }
  for (int i = 0; i < context.Strict().IdleCallsPerCycle(); ++i) {
    context.Progress("editor " + which + ": effEditIdle");
    plugin.Dispatch(effEditIdle);
    XSync(display, False);
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
    std::this_thread::sleep_for(kIdlePeriod);
  }
  ERect rect{};
  if (!EditorRect(plugin, rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
    context.Fail("effEditGetRect gives no usable rectangle while the editor is open (" + which + ")");
    return false;
  }
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  XQueryTree(display, window, &root, &parent, &children, &count);
  bool matched = false;
  std::string seen;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
    seen += (seen.empty() ? "" : ", ") + Size(attributes.width, attributes.height);
    matched = matched || (attributes.width == width && attributes.height == height);
  }
  if (children != nullptr) XFree(children);
  if (count == 0) {
    context.Fail("no window appeared inside the host's window after effEditOpen (" + which + ")");
    return false;
  }
  if (!matched) {
    context.Fail("effEditGetRect reports " + Size(width, height) + " but the editor's window is " + seen + " (" +
                 which + ")");
    return false;
  }
  context.Progress("editor " + which + ": effEditClose");
  plugin.Dispatch(effEditClose);
  XSync(display, False);
  return true;
}

}  // namespace

void RunEditorCheck(CheckContext& context) {
  // Before anything in the process, the module included, makes its first Xlib call.
  XInitThreads();
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin) return;
  if (!plugin->HasFlag(effFlagsHasEditor)) {
    context.Skip("the module has no editor (effFlagsHasEditor is not set)");
    return;
  }
  const char* displayName = std::getenv("DISPLAY");
  if (displayName == nullptr || *displayName == '\0') {
    context.Skip("no X display: DISPLAY is not set (--xvfb starts a virtual one)");
    return;
  }
  DisplayConnection connection;
  Display* display = connection.Get();
  if (display == nullptr) {
    context.Skip("cannot connect to the X display " + std::string(displayName));
    return;
  }
  XSetErrorHandler(CountError);

  ERect rect{};
  const bool knownSize = EditorRect(*plugin, rect) && rect.right > rect.left && rect.bottom > rect.top;
  const int width = knownSize ? rect.right - rect.left : kDefaultWidth;
  const int height = knownSize ? rect.bottom - rect.top : kDefaultHeight;
  const Window root = DefaultRootWindow(display);
  const Window window = XCreateSimpleWindow(display, root, 0, 0, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, 0);
  XMapWindow(display, window);
  XSync(display, False);
  // Counted with our window in place: windows left inside it would otherwise go with it unseen.
  const int before = CountWindows(display, root);

  const int cycles = context.Strict().EditorCycles();
  {
    AudioThread audio(*plugin, context.Seed());
    for (int i = 1; i <= cycles && !context.Failed(); ++i) Cycle(context, *plugin, display, window, i);
    audio.Stop();
    if (!context.Failed() && !audio.Failure().empty()) {
      context.Fail("while the editor opened and closed: " + audio.Failure());
    }
  }
  if (context.Failed()) plugin->Dispatch(effEditClose);

  context.Progress("counting X windows after the last close");
  const int after = SettledWindowCount(display, root, before);
  const int leftInside = CountWindows(display, window) - 1;
  int afterInstance = after;
  if (after > before) {
    context.Progress("counting X windows after effClose");
    plugin.reset();
    afterInstance = SettledWindowCount(display, root, before);
  }
  XDestroyWindow(display, window);
  XSync(display, False);
  if (!context.Failed() && after > before) {
    context.Fail(std::to_string(after - before) + " X window" + (after - before == 1 ? "" : "s") + " left behind after " +
                 std::to_string(cycles) + " open/close cycles, " + std::to_string(leftInside) +
                 " of them in the host's window; " +
                 (afterInstance > before ? std::to_string(afterInstance - before) + " still there after effClose"
                                         : "gone only at effClose"));
    return;
  }
  if (!context.Failed()) context.Note(std::to_string(cycles) + " open/close cycles at " + Size(width, height));
}

}  // namespace kestrune::validate
