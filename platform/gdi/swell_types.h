#pragma once

// Plain records and handles of the drawing-context layer, shaped like their Win32 namesakes so
// that code written against GDI reads the same here.

// Axis-aligned rectangle in pixels; right and bottom are exclusive (width = right - left).
struct RECT
{
  int left;
  int top;
  int right;
  int bottom;
};

// A drawing context: an opaque handle owned by the gdi layer.
struct HDC__;
typedef HDC__* HDC;
