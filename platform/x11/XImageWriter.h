#pragma once

// Copies rectangles of a rasteriser bitmap to an X drawable: through a shared-memory image
// (MIT-SHM) when the server offers one to this client, else through ordinary image requests;
// pixels are converted only when the visual is not 24-bit TrueColor laid out like the
// rasteriser's pixels (a 16-bit screen, a 32-bit visual whose top byte is alpha, other channel
// orders).

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "graphics/IGraphicsStructs.h"

class LICE_IBitmap;
class XConnection;

// The layout of pixels in images of one visual and depth.
struct XPixelLayout
{
  enum Kind
  {
    kSame,    // 32 bits, red 0xff0000, green 0xff00, blue 0xff, no further bits: a plain copy
    kMasks32, // 32-bit words built from the channel masks (further bits, such as alpha, set)
    kMasks16, // 16-bit words built from the channel masks
    kGeneric, // anything else TrueColor: pixel by pixel through Xlib
    kUnsupported
  };
  Kind kind = kUnsupported;
  // For each of red, green, blue: the mask's lowest bit and its number of bits.
  int shift[3] = {0, 0, 0};
  int bits[3] = {0, 0, 0};
  // Bits of the depth that belong to no channel (alpha of a 32-bit visual), set in every pixel.
  uint32_t fill = 0;

  // The layout for visual at depth on display (kUnsupported for visuals that are not TrueColor).
  static XPixelLayout For(Display* display, const Visual* visual, int depth);
  // One rasteriser pixel in this layout.
  uint32_t Convert(uint32_t pixel) const
  {
    return fill | Channel(pixel >> 16, 0) | Channel(pixel >> 8, 1) | Channel(pixel, 2);
  }

private:
  // The 8-bit value (in the low byte of v) cut or widened to channel c's bits, at its place.
  uint32_t Channel(uint32_t v, int c) const
  {
    v &= 255u;
    return (bits[c] >= 8 ? v << (bits[c] - 8) : v >> (8 - bits[c])) << shift[c];
  }
};

class XImageWriter
{
public:
  // A writer for drawables of visual and depth on connection, its images w x h.
  XImageWriter(XConnection* connection, Visual* visual, int depth, int w, int h);
  // Frees the images and detaches the shared segment.
  ~XImageWriter();

  XImageWriter(const XImageWriter&) = delete;
  XImageWriter& operator=(const XImageWriter&) = delete;

  // False when the visual cannot be drawn to (not TrueColor).
  bool IsUsable() const { return mLayout.kind != XPixelLayout::kUnsupported; }
  // Whether the shared-memory path is in use.
  bool UsesSharedMemory() const { return mShmImage != nullptr; }
  // Makes the images w x h (the largest area a Put may cover).
  void Resize(int w, int h);
  // Copies area of source (clipped to both sizes) to the same place in drawable with gc, and
  // waits until the server took the pixels. False when nothing could be sent.
  bool Put(Drawable drawable, GC gc, LICE_IBitmap* source, IRECT area);

private:
  bool CreateSharedImage(int w, int h);
  void FreeSharedImage();
  bool EnsurePlainImage(int w, int h);
  void FreePlainImage();
  // Writes the area of source into image (whose origin is the source's origin).
  void Convert(XImage* image, LICE_IBitmap* source, const IRECT& area) const;

  XConnection* mConnection;
  Display* mDisplay;
  Visual* mVisual;
  int mDepth;
  int mWidth = 0, mHeight = 0;
  XPixelLayout mLayout;
  bool mShmAvailable = false;
  XShmSegmentInfo mShmInfo = {};
  XImage* mShmImage = nullptr;
  // The image used without shared memory: pixels converted into its own buffer, or (kSame) a
  // header pointed at the source's rows for each Put.
  XImage* mPlainImage = nullptr;
};
