#pragma once

#include <X11/Xlib.h>

class XConnection;

// What the windows of one open view share: the view's connection, its screen, and the visual,
// depth and colormap every window of the view (menus, text field, tooltip) is created with.
struct XViewContext
{
  XConnection* connection = nullptr;
  Display* display = nullptr;
  int screen = 0;
  Window root = 0;
  Visual* visual = nullptr;
  int depth = 0;
  Colormap colormap = 0;
  // The view's own window.
  Window view = 0;

  // A new window of the context's visual, w x h at (x, y) inside parent. Override-redirect windows
  // (menus, tooltips) are placed by the editor, not by the window manager. Not mapped.
  Window CreateWindow(Window parent, int x, int y, int w, int h, bool overrideRedirect, long eventMask) const
  {
    XSetWindowAttributes attributes = {};
    attributes.colormap = colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = eventMask;
    attributes.override_redirect = overrideRedirect ? True : False;
    attributes.save_under = overrideRedirect ? True : False;
    return XCreateWindow(display, parent, x, y, static_cast<unsigned>(w > 0 ? w : 1),
                         static_cast<unsigned>(h > 0 ? h : 1), 0, depth, InputOutput, visual,
                         CWColormap | CWBorderPixel | CWBackPixel | CWEventMask | CWOverrideRedirect | CWSaveUnder,
                         &attributes);
  }
};
