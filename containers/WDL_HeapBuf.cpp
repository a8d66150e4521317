#include "containers/WDL_HeapBuf.h"

#include <climits>
#include <cstdlib>

WDL_HeapBuf::WDL_HeapBuf(int granularity) : mGranularity(granularity > 0 ? granularity : 1) {}

WDL_HeapBuf::~WDL_HeapBuf()
{
  free(mBuf);
}

bool WDL_HeapBuf::Resize(int newSize)
{
  if (newSize < 0) return false;
  if (newSize <= mAlloc)
  {
    mSize = newSize;
    return true;
  }
  // Round the capacity up to whole granules without overflowing int.
  const long long granules = (static_cast<long long>(newSize) + mGranularity - 1) / mGranularity;
  long long alloc = granules * mGranularity;
  if (alloc > INT_MAX) alloc = newSize;
  void* p = realloc(mBuf, static_cast<size_t>(alloc));
  if (!p) return false;
  mBuf = p;
  mAlloc = static_cast<int>(alloc);
  mSize = newSize;
  return true;
}
