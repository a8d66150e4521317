#include "plugin/Timestamps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

char* FormatTimeWithOffset(const struct tm& local, const struct tm& utc, char* buf)
{
  int offset = local.tm_min + (local.tm_hour - utc.tm_hour) * 60 - utc.tm_min;
  const int dayDiff = local.tm_yday - utc.tm_yday;
  // A difference of a whole year's days means the two sides straddle New Year.
  if (dayDiff >= 2)
    offset -= 1440;
  else if (dayDiff <= -2)
    offset += 1440;
  else
    offset += dayDiff * 1440;

  const size_t n = strftime(buf, TIMESTAMP_BUF_LEN, "%Y%m%d %H:%M ", &local);
  const int absOffset = abs(offset);
  snprintf(buf + n, TIMESTAMP_BUF_LEN - n, "%c%02d%02d", offset >= 0 ? '+' : '-', absOffset / 60,
           absOffset % 60);
  return buf;
}

const char* CurrentTime()
{
  static char sBuf[TIMESTAMP_BUF_LEN];
  const time_t now = time(nullptr);
  struct tm local, utc;
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
  return FormatTimeWithOffset(local, utc, sBuf);
}

void CompileTimestamp(const char* date, const char* time, WDL_String* out)
{
  // "[Dec 17 2026" -> "[Dec 17" -> "[Dec17", then the time down to minutes.
  out->Set("[");
  out->Append(date);
  out->SetLen(7);
  out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time);
  out->SetLen(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  static WDL_String sText;
  WDL_String stamp;
  CompileTimestamp(date, time, &stamp);
  sText.Set(text);
  sText.Append(" ");
  sText.Append(stamp.Get());
  return sText.Get();
}
