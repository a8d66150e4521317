#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/gdi/swell_types.h"

// The record behind a drawing object handle (HGDIOBJ). Objects are shared by reference count:
// the creator holds one reference (given up by DeleteObject) and every context an object is
// selected into holds another, so an object deleted while selected lives until it is deselected.
struct HGDIOBJ__
{
  virtual ~HGDIOBJ__() = default;
  std::atomic<int> references{1};
  // Set by DeleteObject: the creator's reference is gone.
  std::atomic<bool> deleted{false};

  void addReference() { references.fetch_add(1, std::memory_order_relaxed); }
  void dropReference()
  {
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
};

// A context's reference to the object selected into it.
class SWELL_SelectedObject
{
public:
  SWELL_SelectedObject() = default;
  ~SWELL_SelectedObject() { reset(nullptr); }
  SWELL_SelectedObject(const SWELL_SelectedObject&) = delete;
  SWELL_SelectedObject& operator=(const SWELL_SelectedObject&) = delete;

  HGDIOBJ__* get() const { return m_obj; }
  // Holds obj (taking a reference) instead of the current object (giving up its reference).
  void reset(HGDIOBJ__* obj)
  {
    if (obj) obj->addReference();
    if (m_obj) m_obj->dropReference();
    m_obj = obj;
  }

private:
  HGDIOBJ__* m_obj = nullptr;
};

// The record behind an HDC. Memory contexts own a 32-bit pixel frame buffer (alpha in bits
// 24-31, then red, green, blue), rows `width` pixels apart, top row first, and the text state
// that the font functions use.
struct HDC__
{
  std::unique_ptr<uint32_t[]> pixels;
  int width = 0;
  int height = 0;

  SWELL_SelectedObject font;
  uint32_t text_colour = 0x000000;
  uint32_t background_colour = 0xFFFFFF;
  int background_mode = 0;
};
