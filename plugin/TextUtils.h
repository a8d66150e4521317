#pragma once

#include <locale.h>

// True for tab, line feed, carriage return and space only.
bool IsWhitespace(char c);
// Writes src lower-cased into dst (which must hold strlen(src) + 1 bytes).
void ToLower(char* dst, const char* src);

// While it lives, numbers printed and read on the calling thread use '.' as the decimal point,
// whatever locale the host set for the process: display texts and typed values must not change
// meaning with the user's language. Without a "C" locale to switch to, nothing changes.
class ScopedCNumbers
{
public:
  ScopedCNumbers();
  ~ScopedCNumbers();
  ScopedCNumbers(const ScopedCNumbers&) = delete;
  ScopedCNumbers& operator=(const ScopedCNumbers&) = delete;

private:
  locale_t mPrevious;
};
