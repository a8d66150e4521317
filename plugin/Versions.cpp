#include "plugin/Versions.h"

#include <cstdio>
#include <cstdlib>
#include <sys/utsname.h>

void GetVersionParts(int version, int* pMajor, int* pMinor, int* pPatch)
{
  const unsigned v = static_cast<unsigned>(version);
  *pMajor = static_cast<int>(v / 65536u);
  *pMinor = static_cast<int>((v / 256u) % 256u);
  *pPatch = static_cast<int>(v % 256u);
}

int GetDecimalVersion(int version)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* buf)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  snprintf(buf, 32, "v%d.%d.%d", major, minor, patch);
}

int PackReleaseVersion(const char* release)
{
  int parts[3] = {0, 0, 0};
  const int limits[3] = {0xffff, 0xff, 0xff};
  const char* p = release;
  for (int i = 0; i < 3; ++i)
  {
    if (*p < '0' || *p > '9')
    {
      if (i == 0) return 0;
      break;
    }
    char* end;
    const long n = strtol(p, &end, 10);
    parts[i] = n > limits[i] ? limits[i] : static_cast<int>(n);
    p = end;
    if (*p != '.') break;
    ++p;
  }
  return (parts[0] << 16) | (parts[1] << 8) | parts[2];
}

int GetSystemVersion()
{
  struct utsname names;
  if (uname(&names) != 0) return 0;
  return PackReleaseVersion(names.release);
}
