#include "rasterizer/lice_membitmap.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace
{
// Spare bytes in every block so that the first pixel can be moved up to a 64-byte boundary.
constexpr int64_t kAlignSlack = 63;
// Largest pixel area a block may hold: its size and the head-room computation stay within int.
constexpr int64_t kMaxBytes = INT_MAX - 64;

int maskFor(unsigned int linealign)
{
  if (linealign < 2) return 0;
  return int((linealign & (~linealign + 1)) - 1);
}

int64_t rowSpanFor(int w, int mask) { return (int64_t(w) + mask) & ~int64_t(mask); }
} // namespace

LICE_MemBitmap::LICE_MemBitmap(int w, int h, unsigned int linealign)
    : m_buffer(nullptr), m_width(0), m_height(0), m_allocated(0), m_linealign(maskFor(linealign))
{
  if (w > 0 && h > 0) resize(w, h);
}

LICE_MemBitmap::~LICE_MemBitmap()
{
  std::free(m_buffer);
}

LICE_pixel* LICE_MemBitmap::getBits()
{
  if (!m_buffer) return nullptr;
  const uintptr_t p = (reinterpret_cast<uintptr_t>(m_buffer) + 63) & ~uintptr_t(63);
  return reinterpret_cast<LICE_pixel*>(p);
}

int LICE_MemBitmap::getRowSpan()
{
  return int(rowSpanFor(m_width, m_linealign));
}

bool LICE_MemBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;

  // Sizes are worked out in 64 bits: an area that overflows int is a failed allocation, not a
  // small block under a large bitmap.
  int64_t bytes = 0;
  if (w > 0 && h > 0)
  {
    bytes = rowSpanFor(w, m_linealign) * int64_t(h) * 4;
    if (bytes > kMaxBytes) bytes = -1;
  }

  if (bytes <= 0)
  {
    std::free(m_buffer);
    m_buffer = nullptr;
    m_allocated = 0;
  }
  else if (!m_buffer)
  {
    m_buffer = std::malloc(size_t(bytes + kAlignSlack));
    m_allocated = m_buffer ? int(bytes) : 0;
  }
  else if (bytes > m_allocated)
  {
    int64_t grown = bytes + bytes / 4;
    if (grown > kMaxBytes) grown = bytes;
    void* p = std::realloc(m_buffer, size_t(grown + kAlignSlack));
    if (p)
    {
      m_buffer = p;
      m_allocated = int(grown);
    }
    else
    {
      std::free(m_buffer);
      m_buffer = std::malloc(size_t(bytes + kAlignSlack));
      m_allocated = m_buffer ? int(bytes) : 0;
    }
  }

  if (!m_buffer)
  {
    m_width = 0;
    m_height = 0;
  }
  return true;
}
