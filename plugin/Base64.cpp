#include "plugin/Base64.h"

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
} // namespace

int Base64Decode(const char* text, uint8_t* out, int outSize)
{
  if (!text) return 0;
  unsigned accum = 0;
  int bits = 0, written = 0;
  for (const char* p = text; *p && written < outSize; ++p)
  {
    const int v = DecodeChar(*p);
    if (v < 0) break;
    accum = ((accum << 6) | static_cast<unsigned>(v)) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      out[written++] = static_cast<uint8_t>(accum >> bits);
    }
  }
  return written;
}

bool Base64Encode(const uint8_t* data, int size, WDL_String* pOut)
{
  if (!pOut->Set("")) return false;
  char group[5] = {0};
  for (int i = 0; i < size; i += 3)
  {
    const int n = size - i < 3 ? size - i : 3;
    unsigned v = static_cast<unsigned>(data[i]) << 16;
    if (n > 1) v |= static_cast<unsigned>(data[i + 1]) << 8;
    if (n > 2) v |= data[i + 2];
    group[0] = kAlphabet[(v >> 18) & 63];
    group[1] = kAlphabet[(v >> 12) & 63];
    group[2] = n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    group[3] = n > 2 ? kAlphabet[v & 63] : '=';
    if (!pOut->Append(group)) return false;
  }
  return true;
}
