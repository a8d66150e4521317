#pragma once

#include "containers/WDL_String.h"

#include <ctime>

// Length of the buffer FormatTimeWithOffset needs, terminator included.
#define TIMESTAMP_BUF_LEN 32

// Local time as "YYYYMMDD HH:MM +HHMM" (offset from UTC). Static storage, not safe for concurrent callers.
const char* CurrentTime();

// Writes local as "YYYYMMDD HH:MM " followed by the sign and "HHMM" of its offset from utc (the same
// instant broken down in UTC) into buf (TIMESTAMP_BUF_LEN bytes). Returns buf.
char* FormatTimeWithOffset(const struct tm& local, const struct tm& utc, char* buf);

// Writes "[MmmDD hh:mm]" into out from a build date "Mmm dd yyyy" and time "hh:mm:ss".
void CompileTimestamp(const char* date, const char* time, WDL_String* out);

// text + " " + CompileTimestamp(date, time). Static storage valid until the next call.
const char* AppendTimestamp(const char* date, const char* time, const char* text);
