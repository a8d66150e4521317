#pragma once

#include "containers/WDL_HeapBuf.h"

#include <cstring>

// A WDL_HeapBuf viewed as an array of trivially copyable elements of type T.
template <class T>
class WDL_TypedBuf
{
public:
  // granularity: capacity step in bytes.
  explicit WDL_TypedBuf(int granularity = 4096) : mHeap(granularity) {}

  // First element; null while nothing was ever allocated.
  T* Get() const { return static_cast<T*>(mHeap.Get()); }
  // Number of elements.
  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T)); }

  // Sets the number of elements, keeping the leading ones; new elements are uninitialised.
  // Returns false (and changes nothing) for a negative count, an overflowing byte size or lack of memory.
  bool Resize(int count)
  {
    if (count < 0 || count > kMaxBytes / static_cast<int>(sizeof(T))) return false;
    return mHeap.Resize(count * static_cast<int>(sizeof(T)));
  }

  // Appends one element. Returns false (and changes nothing) when the buffer cannot grow.
  bool Add(const T& value)
  {
    const int n = GetSize();
    if (!Resize(n + 1)) return false;
    Get()[n] = value;
    return true;
  }

  // Sets every byte of every element to zero.
  void Zero()
  {
    if (mHeap.GetSize() > 0) memset(mHeap.Get(), 0, mHeap.GetSize());
  }

private:
  static constexpr int kMaxBytes = 0x7fffffff;
  WDL_HeapBuf mHeap;
};
