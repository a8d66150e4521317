#pragma once

// Growable byte buffer. Capacity grows in whole multiples of the granularity, so a run of small
// appends reallocates rarely. A growth that cannot be satisfied leaves the old bytes and the old
// size untouched, so a caller can always keep using what it had.
class WDL_HeapBuf
{
public:
  // granularity: capacity step in bytes (values below 1 are treated as 1).
  explicit WDL_HeapBuf(int granularity = 4096);
  ~WDL_HeapBuf();

  WDL_HeapBuf(const WDL_HeapBuf&) = delete;
  WDL_HeapBuf& operator=(const WDL_HeapBuf&) = delete;

  // Start of the bytes; null while nothing was ever allocated.
  void* Get() const { return mBuf; }
  // Size in bytes as last set by Resize.
  int GetSize() const { return mSize; }

  // Sets the size to newSize bytes, keeping the first min(old, new) bytes; new bytes are
  // uninitialised. Returns false (and changes nothing) for a negative size or when memory runs out.
  bool Resize(int newSize);

private:
  void* mBuf = nullptr;
  int mSize = 0;
  int mAlloc = 0;
  int mGranularity;
};
