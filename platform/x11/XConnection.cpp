#include "platform/x11/XConnection.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// What the handlers know about the editor's connections, shared by every editor in the process.
struct ConnectionRecord
{
  Display* display;
  unsigned long errors;
  int lastErrorCode;
  bool dead;
};

struct ErrorRouter
{
  std::mutex mutex;
  std::vector<ConnectionRecord> connections;
  int trapDepth = 0;
  XErrorHandler previousErrorHandler = nullptr;
  XIOErrorHandler previousIOErrorHandler = nullptr;

  ConnectionRecord* Find(Display* display)
  {
    for (ConnectionRecord& record : connections)
      if (record.display == display) return &record;
    return nullptr;
  }
};

ErrorRouter& Router()
{
  static ErrorRouter router;
  return router;
}

int OnXError(Display* display, XErrorEvent* error)
{
  ErrorRouter& router = Router();
  XErrorHandler forward;
  {
    std::lock_guard<std::mutex> lock(router.mutex);
    if (ConnectionRecord* record = router.Find(display))
    {
      ++record->errors;
      record->lastErrorCode = error->error_code;
      return 0;
    }
    forward = router.previousErrorHandler;
  }
  return forward ? forward(display, error) : 0;
}

void MarkDead(Display* display)
{
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  if (ConnectionRecord* record = router.Find(display)) record->dead = true;
}

// Xlib calls the process-wide I/O error handler first and then the connection's exit handler,
// whose default ends the process. For the editor's connections both only mark it dead and return,
// which leaves the connection inert.
int OnXIOError(Display* display)
{
  ErrorRouter& router = Router();
  XIOErrorHandler forward;
  {
    std::lock_guard<std::mutex> lock(router.mutex);
    if (ConnectionRecord* record = router.Find(display))
    {
      record->dead = true;
      return 0;
    }
    forward = router.previousIOErrorHandler;
  }
  return forward ? forward(display) : 0;
}

void OnXIOErrorExit(Display* display, void*)
{
  MarkDead(display);
}

} // namespace

// ---- XConnection ----

XConnection::XConnection(const char* name)
{
  mDisplay = XOpenDisplay(name);
  if (!mDisplay) return;
  XSetIOErrorExitHandler(mDisplay, OnXIOErrorExit, nullptr);
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  router.connections.push_back({mDisplay, 0, 0, false});
}

XConnection::~XConnection()
{
  if (!mDisplay) return;
  {
    ScopedXErrorTrap trap;
    XCloseDisplay(mDisplay);
  }
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  auto& list = router.connections;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [this](const ConnectionRecord& record) { return record.display == mDisplay; }),
             list.end());
}

bool XConnection::IsDead() const
{
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  const ConnectionRecord* record = router.Find(mDisplay);
  return !record || record->dead;
}

unsigned long XConnection::ErrorCount() const
{
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  const ConnectionRecord* record = router.Find(mDisplay);
  return record ? record->errors : 0;
}

int XConnection::LastErrorCode() const
{
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  const ConnectionRecord* record = router.Find(mDisplay);
  return record ? record->lastErrorCode : 0;
}

bool XConnection::SyncSucceeded(unsigned long errorsBefore)
{
  if (!mDisplay || IsDead()) return false;
  XSync(mDisplay, False);
  return !IsDead() && ErrorCount() == errorsBefore;
}

// ---- ScopedXErrorTrap ----

ScopedXErrorTrap::ScopedXErrorTrap()
{
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  if (router.trapDepth++ > 0) return;
  router.previousErrorHandler = XSetErrorHandler(OnXError);
  router.previousIOErrorHandler = XSetIOErrorHandler(OnXIOError);
}

// A handler someone else installed while the trap was up is left in place.
ScopedXErrorTrap::~ScopedXErrorTrap()
{
  ErrorRouter& router = Router();
  std::lock_guard<std::mutex> lock(router.mutex);
  if (--router.trapDepth > 0) return;
  XErrorHandler current = XSetErrorHandler(router.previousErrorHandler);
  if (current != OnXError) XSetErrorHandler(current);
  XIOErrorHandler currentIO = XSetIOErrorHandler(router.previousIOErrorHandler);
  if (currentIO != OnXIOError) XSetIOErrorHandler(currentIO);
}
