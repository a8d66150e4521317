#include "plugin/ByteChunk.h"

#include <climits>

int ByteChunk::PutBytes(const void* pSrc, int size)
{
  const int n = Size();
  if (size < 0 || size > INT_MAX - n) return 0;
  if (!mBytes.Resize(n + size)) return 0;
  if (size > 0) memcpy(GetBytes() + n, pSrc, static_cast<size_t>(size));
  return Size();
}

int ByteChunk::GetBytes(void* pDst, int size, int startPos) const
{
  if (startPos < 0 || size < 0) return -1;
  const long long endPos = static_cast<long long>(startPos) + size;
  if (endPos > Size()) return -1;
  if (size > 0) memcpy(pDst, GetBytes() + startPos, static_cast<size_t>(size));
  return static_cast<int>(endPos);
}

int ByteChunk::PutStr(const char* str)
{
  const size_t len = str ? strlen(str) : 0;
  if (len > static_cast<size_t>(INT_MAX - 4)) return 0;
  const int slen = static_cast<int>(len);
  const int n = Size();
  if (!Put(&slen)) return 0;
  if (!PutBytes(str, slen))
  {
    mBytes.Resize(n);
    return 0;
  }
  return Size();
}

int ByteChunk::GetStr(WDL_String* pStr, int startPos) const
{
  int len;
  const int strStartPos = Get(&len, startPos);
  // A negative length would move the read position backwards into data already read.
  if (strStartPos < 0 || len < 0) return -1;
  const long long endPos = static_cast<long long>(strStartPos) + len;
  if (endPos > INT_MAX) return -1;
  if (endPos <= Size())
  {
    if (len > 0)
      pStr->Set(reinterpret_cast<const char*>(GetBytes() + strStartPos), len);
    else
      pStr->Set("");
  }
  return static_cast<int>(endPos);
}

int ByteChunk::PutBool(bool b)
{
  const uint8_t byte = b ? 1 : 0;
  return Put(&byte);
}

int ByteChunk::PutChunk(const ByteChunk* pRHS)
{
  return PutBytes(pRHS->GetBytes(), pRHS->Size());
}

void ByteChunk::Clear()
{
  mBytes.Resize(0);
}

int ByteChunk::Resize(int newSize)
{
  const int n = Size();
  if (mBytes.Resize(newSize) && newSize > n) memset(GetBytes() + n, 0, static_cast<size_t>(newSize - n));
  return Size();
}

bool ByteChunk::IsEqual(const ByteChunk& other) const
{
  return Size() == other.Size() && (Size() == 0 || memcmp(GetBytes(), other.GetBytes(), Size()) == 0);
}

bool InitChunkWithIPlugVer(ByteChunk* pChunk)
{
  pChunk->Clear();
  const int magic = IPLUG_VERSION_MAGIC;
  const int version = IPLUG_VERSION;
  return pChunk->Put(&magic) > 0 && pChunk->Put(&version) > 0;
}

int GetIPlugVerFromChunk(const ByteChunk* pChunk, int* pPos)
{
  int magic = 0, version = 0;
  const int pos = pChunk->Get(&magic, *pPos);
  if (pos < 0 || magic != IPLUG_VERSION_MAGIC) return 0;
  const int end = pChunk->Get(&version, pos);
  if (end < 0)
  {
    *pPos = -1;
    return 0;
  }
  *pPos = end;
  return version;
}
