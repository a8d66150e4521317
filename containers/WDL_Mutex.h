#pragma once

#include <pthread.h>

// Recursive mutual-exclusion lock: the thread that holds it may enter again, and must leave as
// often as it entered.
class WDL_Mutex
{
public:
  WDL_Mutex();
  ~WDL_Mutex();

  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;

  // Blocks until the calling thread holds the lock.
  void Enter();
  // Gives up one level of holding.
  void Leave();

private:
  pthread_mutex_t mMutex;
};

// Holds a WDL_Mutex for the lifetime of the object.
class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex* mutex) : mMutex(mutex) { mMutex->Enter(); }
  ~WDL_MutexLock() { mMutex->Leave(); }

  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* mMutex;
};
