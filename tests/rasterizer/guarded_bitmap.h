#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "rasterizer/lice_bitmap.h"

// A fixed-size bitmap whose pixels sit inside a guard band: whole rows above and below, and
// padding at the end of every row. Anything written outside the width x height pixels shows up
// as a changed guard word.
class GuardedBitmap : public LICE_IBitmap
{
public:
  static constexpr LICE_pixel kGuard = 0xDEADBEEFu;
  static constexpr int kGuardRows = 3;
  static constexpr int kPadding = 5;

  GuardedBitmap(int w, int h, bool flipped = false)
      : m_w(w), m_h(h), m_span(w + kPadding), m_flipped(flipped),
        m_store(size_t(m_span) * size_t(h + 2 * kGuardRows), kGuard)
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) rawRow(y)[x] = 0;
  }

  LICE_pixel* getBits() override { return m_store.data() + size_t(kGuardRows) * size_t(m_span); }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // Pixel (x, y) in top-down coordinates, honouring the flipped layout.
  LICE_pixel& px(int x, int y) { return rawRow(m_flipped ? m_h - 1 - y : y)[x]; }

  // True when no guard word changed.
  bool guardIntact() const
  {
    for (size_t i = 0; i < m_store.size(); ++i)
    {
      const size_t row = i / size_t(m_span), col = i % size_t(m_span);
      const bool inside = row >= size_t(kGuardRows) && row < size_t(kGuardRows + m_h) && col < size_t(m_w);
      if (!inside && m_store[i] != kGuard) return false;
    }
    return true;
  }

  void fillRandom(std::mt19937& rng)
  {
    for (int y = 0; y < m_h; ++y)
      for (int x = 0; x < m_w; ++x) px(x, y) = LICE_pixel(rng());
  }

private:
  LICE_pixel* rawRow(int memoryRow) { return getBits() + size_t(memoryRow) * size_t(m_span); }

  int m_w, m_h, m_span;
  bool m_flipped;
  std::vector<LICE_pixel> m_store;
};

// Channel helpers for expected values: byte order blue, green, red, alpha.
inline int chanOf(LICE_pixel p, int byteIndex) { return int((p >> (8 * byteIndex)) & 255u); }
