#include "plugin/TextUtils.h"

#include <cctype>

namespace {

// Made once and kept for the life of the module: switching to it costs nothing.
locale_t CNumbersLocale()
{
  static const locale_t sLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  return sLocale;
}

} // namespace

bool IsWhitespace(char c)
{
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

void ToLower(char* dst, const char* src)
{
  while (*src) *dst++ = static_cast<char>(tolower(static_cast<unsigned char>(*src++)));
  *dst = 0;
}

ScopedCNumbers::ScopedCNumbers()
  : mPrevious(static_cast<locale_t>(0))
{
  const locale_t cNumbers = CNumbersLocale();
  if (cNumbers != static_cast<locale_t>(0)) mPrevious = uselocale(cNumbers);
}

ScopedCNumbers::~ScopedCNumbers()
{
  if (mPrevious != static_cast<locale_t>(0)) uselocale(mPrevious);
}
