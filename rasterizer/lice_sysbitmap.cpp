#include "rasterizer/lice_sysbitmap.h"

namespace
{
// Widest bitmap whose row span, rounded up to 4 pixels, still fits in an int.
constexpr int kMaxWidth = 2147483644;
} // namespace

LICE_SysBitmap::LICE_SysBitmap(int w, int h)
    : m_width(0), m_height(0), m_bits(nullptr), m_allocw(0), m_alloch(0)
{
  resize(w, h);
}

bool LICE_SysBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;

  // A negative size is not a shrink: it must not keep a context that reports a negative size.
  if (w > 0 && h > 0 && w <= m_allocw && h <= m_alloch && m_bits) return true;

  m_dc.reset();
  m_bits = nullptr;
  m_allocw = 0;
  m_alloch = 0;
  if (h <= 0 || w <= 0 || w > kMaxWidth) return false;

  m_allocw = (w + 3) & ~3;
  m_alloch = h;
  m_dc.reset(SWELL_CreateMemContext(nullptr, m_allocw, h));
  if (m_dc.get())
  {
    m_bits = static_cast<LICE_pixel*>(SWELL_GetCtxFrameBuffer(m_dc.get()));
  }
  else
  {
    m_width = 0;
    m_height = 0;
    m_allocw = 0;
    m_alloch = 0;
  }
  return true;
}
