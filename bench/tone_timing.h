#pragma once

#include <ctime>

// CPU time consumed by the calling thread, in seconds: other load on the machine does not count.
inline double ToneThreadCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}
