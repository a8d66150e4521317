#pragma once

#include "containers/WDL_HeapBuf.h"

// Growable NUL-terminated character string. Operations that would need more memory than is
// available return false and leave the string as it was.
class WDL_String
{
public:
  // granularity: capacity step in bytes.
  explicit WDL_String(int granularity = 128);
  // A copy of text (null gives the empty string).
  explicit WDL_String(const char* text, int granularity = 128);

  WDL_String(const WDL_String&) = delete;
  WDL_String& operator=(const WDL_String&) = delete;

  // The text; never null (the empty string when nothing was set).
  const char* Get() const;
  // Length in characters, without the terminator.
  int GetLength() const;

  // Replaces the text by at most maxLen characters of text (maxLen < 1: all of it; null: empty).
  bool Set(const char* text, int maxLen = 0);
  // Appends at most maxLen characters of text (maxLen < 1: all of it).
  bool Append(const char* text, int maxLen = 0);
  // Replaces the text by the printf-style formatting of fmt, cut to at most maxLen characters.
  bool SetFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  // Appends the printf-style formatting of fmt, cut to at most maxLen characters.
  bool AppendFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  // Cuts the text to at most length characters; longer requests do nothing.
  void SetLen(int length);
  // Removes count characters starting at pos (both limited to the text).
  void DeleteSub(int pos, int count);

private:
  bool AppendRaw(const char* text, int len);

  WDL_HeapBuf mHeap;
};
