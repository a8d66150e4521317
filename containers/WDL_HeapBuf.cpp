#include "containers/WDL_HeapBuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>

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

bool WDL_HeapBuf::CopyFrom(const WDL_HeapBuf& other)
{
  if (&other == this) return true;
  if (!Resize(other.mSize)) return false;
  if (other.mSize > 0) memcpy(mBuf, other.mBuf, other.mSize);
  return true;
}

void WDL_HeapBuf::Free()
{
  free(mBuf);
  mBuf = nullptr;
  mSize = mAlloc = 0;
}
