#pragma once
// The interface between the realtime check and its preload library, which interposes the calls a
// processing callback must not make and counts them on threads that asked to be watched.

#include <cstdint>

// What a watched thread called since it was last reset.
struct KestruneRealtimeCounts {
  uint64_t allocations;    // malloc, calloc, realloc, the memalign family, operator new
  uint64_t releases;       // free, operator delete
  uint64_t blockingWaits;  // contended mutexes and rwlocks, condition variables, semaphores
  uint64_t fileCalls;      // open, fopen, read, write, stdio output
  uint64_t socketCalls;    // socket, connect, send, recv and their kin
  uint64_t sleeps;         // sleep, usleep, nanosleep, clock_nanosleep
  const char* firstCall;   // the name of the first counted call, or null
  const void* firstCaller; // the address that made it
};

// Exported by the preload library; found with dlsym(RTLD_DEFAULT, ...).
extern "C" {
// Starts (non-zero) or stops counting the calling thread's calls.
typedef void (*KestruneRealtimeWatchProc)(int watch);
// The calling thread's counts, and zeroing them.
typedef KestruneRealtimeCounts (*KestruneRealtimeCountsProc)();
typedef void (*KestruneRealtimeResetProc)();
}

#define KESTRUNE_REALTIME_WATCH "kestrune_realtime_watch"
#define KESTRUNE_REALTIME_COUNTS "kestrune_realtime_counts"
#define KESTRUNE_REALTIME_RESET "kestrune_realtime_reset"
