#pragma once

// The editor's own connection to the X server, and the error trap every piece of X work of the
// editor runs inside.
//
// Inside a host the process belongs to the host: its toolkit has its own connection and may have
// installed error handlers that end the process (Xlib's defaults do). The editor therefore opens a
// connection of its own for each open view, never calls XInitThreads, and installs its handlers
// only while it works (ScopedXErrorTrap), forwarding whatever concerns other connections to the
// handlers it found. A protocol error on the editor's connection is recorded, not fatal; a lost
// connection (the server went away) marks it dead instead of ending the process.

#include <X11/Xlib.h>

// One connection to the X server, open for the object's lifetime.
class XConnection
{
public:
  // Opens the display named by name (null: $DISPLAY). IsOpen() tells whether it worked.
  explicit XConnection(const char* name = nullptr);
  // Closes the connection (frees what Xlib holds for it, even after the server went away).
  ~XConnection();

  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  bool IsOpen() const { return mDisplay != nullptr; }
  Display* Get() const { return mDisplay; }
  // True once the server connection broke; nothing sent on it has any effect afterwards.
  bool IsDead() const;
  // Number of protocol errors recorded for this connection since it opened, and the code of the last.
  unsigned long ErrorCount() const;
  int LastErrorCode() const;

  // Sends everything queued and waits for the server to handle it, so that errors of what was sent
  // are recorded. Returns false when an error arrived since errorsBefore (an ErrorCount() taken
  // before the requests) or the connection is dead. Call inside a ScopedXErrorTrap.
  bool SyncSucceeded(unsigned long errorsBefore);

private:
  Display* mDisplay = nullptr;
};

// Installs the editor's X error and I/O error handlers for the lifetime of the object (nested
// traps on one thread install them once) and restores the ones found when the outermost trap ends.
// Errors on a connection of the editor are recorded on it; errors on any other connection go to the
// handler that was installed before.
class ScopedXErrorTrap
{
public:
  ScopedXErrorTrap();
  ~ScopedXErrorTrap();

  ScopedXErrorTrap(const ScopedXErrorTrap&) = delete;
  ScopedXErrorTrap& operator=(const ScopedXErrorTrap&) = delete;
};
