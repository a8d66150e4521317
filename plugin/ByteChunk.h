#pragma once

#include "containers/WDL_HeapBuf.h"
#include "containers/WDL_String.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

// Four-character code 'pfft' at the start of every state chunk handed to a host or a file.
#define IPLUG_VERSION_MAGIC 0x70666674
// Version of the state layout written after the magic (1.0.0).
#define IPLUG_VERSION 0x010000

// Growable byte buffer for state: values are appended at the end in native byte order and read
// back at a caller-held position. A read that would pass the end returns -1 and writes nothing.
class ByteChunk
{
public:
  ByteChunk() : mBytes(4096) {}

  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends the bytes of *pVal. Returns the new size, or 0 (chunk unchanged) when it cannot grow.
  template <class T>
  int Put(const T* pVal)
  {
    static_assert(std::is_trivially_copyable<T>::value, "Put copies bytes");
    return PutBytes(pVal, static_cast<int>(sizeof(T)));
  }

  // Reads a T at startPos into *pVal. Returns the position after it, or -1 (nothing written) when
  // startPos is negative or the value would pass the end.
  template <class T>
  int Get(T* pVal, int startPos) const
  {
    static_assert(std::is_trivially_copyable<T>::value, "Get copies bytes");
    return GetBytes(pVal, static_cast<int>(sizeof(T)), startPos);
  }

  // Appends size raw bytes. Returns the new size, or 0 (chunk unchanged) when it cannot grow.
  int PutBytes(const void* pSrc, int size);
  // Copies size bytes at startPos to pDst. Returns the position after them, or -1 (nothing written).
  int GetBytes(void* pDst, int size, int startPos) const;

  // Appends a 32-bit length and the string's bytes without terminator. Returns the new size or 0.
  int PutStr(const char* str);
  // Reads a string written by PutStr at startPos into *pStr (stopping at an embedded zero byte).
  // Returns the position after the stored bytes; that position may lie past the end, in which case
  // *pStr is unchanged and the next read fails. Returns -1 when the length cannot be read or is negative.
  int GetStr(WDL_String* pStr, int startPos) const;

  // Appends one byte, 1 or 0. Returns the new size or 0.
  int PutBool(bool b);
  // Appends all bytes of another chunk. Returns the new size, or 0 when it cannot grow.
  int PutChunk(const ByteChunk* pRHS);

  // Size becomes 0.
  void Clear();
  int Size() const { return mBytes.GetSize(); }
  // Sets the size, zeroing any new bytes. Returns the resulting size (the old one when growth fails).
  int Resize(int newSize);
  // Start of the bytes; null while empty.
  uint8_t* GetBytes() const { return static_cast<uint8_t*>(mBytes.Get()); }
  // True when both chunks hold the same bytes.
  bool IsEqual(const ByteChunk& other) const;

private:
  WDL_HeapBuf mBytes;
};

// Clears pChunk and writes the 8-byte version header (magic, then version). Returns false when
// the chunk cannot grow.
bool InitChunkWithIPlugVer(ByteChunk* pChunk);

// Reads a version header at *pPos. Returns the version and advances *pPos past the header; returns
// 0 with *pPos unchanged when no magic is found there, and 0 with *pPos = -1 when the magic is
// followed by fewer than four bytes.
int GetIPlugVerFromChunk(const ByteChunk* pChunk, int* pPos);
