#include "platform/x11/XImageWriter.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

#include "platform/x11/XConnection.h"
#include "rasterizer/lice_bitmap.h"

namespace {

// Lowest set bit and number of bits of a contiguous channel mask.
void MaskShape(unsigned long mask, int* shift, int* bits)
{
  *shift = *bits = 0;
  if (!mask) return;
  while (!(mask & 1)) mask >>= 1, ++*shift;
  while (mask & 1) mask >>= 1, ++*bits;
}

int BitsPerPixel(Display* display, int depth)
{
  int count = 0, bpp = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  for (int i = 0; i < count; ++i)
    if (formats[i].depth == depth) bpp = formats[i].bits_per_pixel;
  if (formats) XFree(formats);
  return bpp;
}

bool HostIsLittleEndian()
{
  const uint32_t probe = 1;
  unsigned char first;
  memcpy(&first, &probe, 1);
  return first == 1;
}

// The per-pixel step of a conversion, chosen once per Put.
struct CopyPixels
{
  template <typename Word>
  static void Row(Word* dest, const LICE_pixel* src, int n, const XPixelLayout&)
  {
    memcpy(dest, src, size_t(n) * sizeof(Word));
  }
};

struct ConvertPixels
{
  template <typename Word>
  static void Row(Word* dest, const LICE_pixel* src, int n, const XPixelLayout& layout)
  {
    for (int x = 0; x < n; ++x) dest[x] = static_cast<Word>(layout.Convert(src[x]));
  }
};

template <typename Step, typename Word>
void WriteArea(XImage* image, const LICE_BitmapRows& rows, const IRECT& area, const XPixelLayout& layout)
{
  for (int y = area.T; y < area.B; ++y)
  {
    Word* dest = reinterpret_cast<Word*>(image->data + ptrdiff_t(y) * image->bytes_per_line) + area.L;
    Step::Row(dest, rows.at(area.L, y), area.W(), layout);
  }
}

} // namespace

XPixelLayout XPixelLayout::For(Display* display, const Visual* visual, int depth)
{
  XPixelLayout layout;
  if (!visual || visual->c_class != TrueColor) return layout;
  MaskShape(visual->red_mask, &layout.shift[0], &layout.bits[0]);
  MaskShape(visual->green_mask, &layout.shift[1], &layout.bits[1]);
  MaskShape(visual->blue_mask, &layout.shift[2], &layout.bits[2]);
  if (!layout.bits[0] || !layout.bits[1] || !layout.bits[2]) return layout;

  const uint32_t depthBits = depth >= 32 ? 0xffffffffu : (1u << depth) - 1u;
  layout.fill = depthBits & ~uint32_t(visual->red_mask | visual->green_mask | visual->blue_mask);
  const int bpp = BitsPerPixel(display, depth);
  if (bpp == 32 && layout.fill == 0 && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
      visual->blue_mask == 0xff)
    layout.kind = kSame;
  else if (bpp == 32)
    layout.kind = kMasks32;
  else if (bpp == 16)
    layout.kind = kMasks16;
  else
    layout.kind = kGeneric;
  return layout;
}

XImageWriter::XImageWriter(XConnection* connection, Visual* visual, int depth, int w, int h)
  : mConnection(connection), mDisplay(connection->Get()), mVisual(visual), mDepth(depth)
{
  mLayout = XPixelLayout::For(mDisplay, visual, depth);
  if (!IsUsable()) return;
  // Shared images are written in the host's byte order, which the server must read as its own.
  mShmAvailable = XShmQueryExtension(mDisplay) && HostIsLittleEndian() && ImageByteOrder(mDisplay) == LSBFirst;
  Resize(w, h);
}

XImageWriter::~XImageWriter()
{
  FreeSharedImage();
  FreePlainImage();
}

void XImageWriter::Resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return;
  mWidth = w;
  mHeight = h;
  FreeSharedImage();
  FreePlainImage();
  if (mShmAvailable && !CreateSharedImage(w, h)) mShmAvailable = false;
}

// The segment is marked for removal as soon as the server has attached it, so it disappears with
// the last of the two users even if this process ends abruptly.
bool XImageWriter::CreateSharedImage(int w, int h)
{
  if (w <= 0 || h <= 0) return false;
  ScopedXErrorTrap trap;
  XImage* image = XShmCreateImage(mDisplay, mVisual, static_cast<unsigned>(mDepth), ZPixmap, nullptr, &mShmInfo,
                                  static_cast<unsigned>(w), static_cast<unsigned>(h));
  if (!image) return false;
  mShmInfo.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
  if (mShmInfo.shmid < 0)
  {
    XDestroyImage(image);
    return false;
  }
  mShmInfo.shmaddr = image->data = static_cast<char*>(shmat(mShmInfo.shmid, nullptr, 0));
  if (mShmInfo.shmaddr == reinterpret_cast<char*>(-1))
  {
    shmctl(mShmInfo.shmid, IPC_RMID, nullptr);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  mShmInfo.readOnly = True;
  const unsigned long errorsBefore = mConnection->ErrorCount();
  const bool attached = XShmAttach(mDisplay, &mShmInfo) && mConnection->SyncSucceeded(errorsBefore);
  shmctl(mShmInfo.shmid, IPC_RMID, nullptr);
  if (!attached)
  {
    shmdt(mShmInfo.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  mShmImage = image;
  return true;
}

void XImageWriter::FreeSharedImage()
{
  if (!mShmImage) return;
  {
    ScopedXErrorTrap trap;
    if (!mConnection->IsDead())
    {
      XShmDetach(mDisplay, &mShmInfo);
      XSync(mDisplay, False);
    }
  }
  shmdt(mShmInfo.shmaddr);
  mShmImage->data = nullptr;
  XDestroyImage(mShmImage);
  mShmImage = nullptr;
}

bool XImageWriter::EnsurePlainImage(int w, int h)
{
  if (mPlainImage) return true;
  if (w <= 0 || h <= 0) return false;
  mPlainImage = XCreateImage(mDisplay, mVisual, static_cast<unsigned>(mDepth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (!mPlainImage) return false;
  mPlainImage->byte_order = HostIsLittleEndian() ? LSBFirst : MSBFirst;
  mPlainImage->data = static_cast<char*>(calloc(size_t(mPlainImage->bytes_per_line), size_t(h)));
  if (!mPlainImage->data)
  {
    XDestroyImage(mPlainImage);
    mPlainImage = nullptr;
    return false;
  }
  return true;
}

void XImageWriter::FreePlainImage()
{
  if (mPlainImage) XDestroyImage(mPlainImage);
  mPlainImage = nullptr;
}

void XImageWriter::Convert(XImage* image, LICE_IBitmap* source, const IRECT& area) const
{
  const LICE_BitmapRows rows(source);
  switch (mLayout.kind)
  {
    case XPixelLayout::kSame: WriteArea<CopyPixels, uint32_t>(image, rows, area, mLayout); break;
    case XPixelLayout::kMasks32: WriteArea<ConvertPixels, uint32_t>(image, rows, area, mLayout); break;
    case XPixelLayout::kMasks16: WriteArea<ConvertPixels, uint16_t>(image, rows, area, mLayout); break;
    case XPixelLayout::kGeneric:
      for (int y = area.T; y < area.B; ++y)
        for (int x = area.L; x < area.R; ++x) XPutPixel(image, x, y, mLayout.Convert(*rows.at(x, y)));
      break;
    case XPixelLayout::kUnsupported: break;
  }
}

bool XImageWriter::Put(Drawable drawable, GC gc, LICE_IBitmap* source, IRECT area)
{
  if (!IsUsable() || !source || !source->getBits() || mConnection->IsDead()) return false;
  const IRECT bounds(0, 0, std::min(source->getWidth(), mWidth), std::min(source->getHeight(), mHeight));
  area = area.Intersect(&bounds);
  if (area.W() <= 0 || area.H() <= 0) return false;
  const unsigned w = static_cast<unsigned>(area.W()), h = static_cast<unsigned>(area.H());

  if (mShmImage)
  {
    Convert(mShmImage, source, area);
    XShmPutImage(mDisplay, drawable, gc, mShmImage, area.L, area.T, area.L, area.T, w, h, False);
    // The segment is written again by the next Put: the server must have read it by then.
    XSync(mDisplay, False);
    return true;
  }
  if (mLayout.kind == XPixelLayout::kSame && !source->isFlipped())
  {
    // The source's rows are already in the screen's layout: a header over them, no copy.
    XImage* view = XCreateImage(mDisplay, mVisual, static_cast<unsigned>(mDepth), ZPixmap, 0,
                                reinterpret_cast<char*>(source->getBits()), static_cast<unsigned>(bounds.R),
                                static_cast<unsigned>(bounds.B), 32, source->getRowSpan() * 4);
    if (!view) return false;
    view->byte_order = HostIsLittleEndian() ? LSBFirst : MSBFirst;
    XPutImage(mDisplay, drawable, gc, view, area.L, area.T, area.L, area.T, w, h);
    view->data = nullptr;
    XDestroyImage(view);
  }
  else
  {
    if (!EnsurePlainImage(mWidth, mHeight)) return false;
    Convert(mPlainImage, source, area);
    XPutImage(mDisplay, drawable, gc, mPlainImage, area.L, area.T, area.L, area.T, w, h);
  }
  XFlush(mDisplay);
  return true;
}
