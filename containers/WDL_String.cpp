#include "containers/WDL_String.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

WDL_String::WDL_String(int granularity) : mHeap(granularity) {}

WDL_String::WDL_String(const char* text, int granularity) : mHeap(granularity)
{
  Set(text);
}

const char* WDL_String::Get() const
{
  return mHeap.GetSize() > 0 ? static_cast<const char*>(mHeap.Get()) : "";
}

int WDL_String::GetLength() const
{
  return mHeap.GetSize() > 0 ? mHeap.GetSize() - 1 : 0;
}

static int LimitedLength(const char* text, int maxLen)
{
  if (!text) return 0;
  const size_t len = maxLen > 0 ? strnlen(text, static_cast<size_t>(maxLen)) : strlen(text);
  return len > static_cast<size_t>(INT_MAX - 1) ? INT_MAX - 1 : static_cast<int>(len);
}

bool WDL_String::AppendRaw(const char* text, int len)
{
  const int oldLen = GetLength();
  if (len > INT_MAX - 1 - oldLen) return false;
  // text may point into this string; the reallocation below would invalidate it.
  const char* base = static_cast<const char*>(mHeap.Get());
  const bool aliased = base && text >= base && text < base + mHeap.GetSize();
  const long offset = aliased ? static_cast<long>(text - base) : 0;
  if (!mHeap.Resize(oldLen + len + 1)) return false;
  char* buf = static_cast<char*>(mHeap.Get());
  if (aliased) text = buf + offset;
  if (len > 0) memmove(buf + oldLen, text, static_cast<size_t>(len));
  buf[oldLen + len] = 0;
  return true;
}

bool WDL_String::Set(const char* text, int maxLen)
{
  const int len = LimitedLength(text, maxLen);
  if (text && mHeap.GetSize() > 0 && text >= Get() && text < Get() + mHeap.GetSize())
  {
    // A piece of this very string: move it to the front, then cut.
    char* buf = static_cast<char*>(mHeap.Get());
    memmove(buf, text, static_cast<size_t>(len));
    buf[len] = 0;
    return mHeap.Resize(len + 1);
  }
  if (!mHeap.Resize(len + 1)) return false;
  char* buf = static_cast<char*>(mHeap.Get());
  if (len > 0) memcpy(buf, text, static_cast<size_t>(len));
  buf[len] = 0;
  return true;
}

bool WDL_String::Append(const char* text, int maxLen)
{
  return AppendRaw(text ? text : "", LimitedLength(text, maxLen));
}

// Measures first so that only long results need a heap buffer.
static bool AppendFormattedV(WDL_String* pStr, int maxLen, const char* fmt, va_list args)
{
  va_list copy;
  va_copy(copy, args);
  const int needed = vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (needed < 0) return false;
  const int len = (maxLen > 0 && needed > maxLen) ? maxLen : needed;
  char small[256];
  if (needed < static_cast<int>(sizeof(small)))
  {
    vsnprintf(small, sizeof(small), fmt, args);
    return pStr->Append(small, len);
  }
  WDL_HeapBuf big;
  if (!big.Resize(needed + 1)) return false;
  vsnprintf(static_cast<char*>(big.Get()), static_cast<size_t>(needed) + 1, fmt, args);
  return pStr->Append(static_cast<const char*>(big.Get()), len);
}

bool WDL_String::SetFormatted(int maxLen, const char* fmt, ...)
{
  WDL_String result;
  va_list args;
  va_start(args, fmt);
  const bool ok = AppendFormattedV(&result, maxLen, fmt, args);
  va_end(args);
  return ok && Set(result.Get());
}

bool WDL_String::AppendFormatted(int maxLen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  const bool ok = AppendFormattedV(this, maxLen, fmt, args);
  va_end(args);
  return ok;
}

void WDL_String::SetLen(int length)
{
  if (length < 0) length = 0;
  if (length >= GetLength()) return;
  static_cast<char*>(mHeap.Get())[length] = 0;
  mHeap.Resize(length + 1);
}

void WDL_String::DeleteSub(int pos, int count)
{
  const int len = GetLength();
  if (pos < 0) pos = 0;
  if (pos >= len || count <= 0) return;
  if (count > len - pos) count = len - pos;
  char* buf = static_cast<char*>(mHeap.Get());
  memmove(buf + pos, buf + pos + count, static_cast<size_t>(len - pos - count + 1));
  mHeap.Resize(len - count + 1);
}
