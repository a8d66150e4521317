#pragma once

#include "containers/WDL_Mutex.h"
#include "plugin/IPlugBase.h"

// Holds a plug-in's instance lock for the lifetime of the object; nothing without a plug-in.
// The editor takes it while its control list changes and while it reads parameter texts, so
// that a parameter change on another thread never meets either half done.
class ScopedPlugLock
{
public:
  explicit ScopedPlugLock(IPlugBase* pPlug) : mMutex(pPlug ? pPlug->GetMutex() : nullptr)
  {
    if (mMutex) mMutex->Enter();
  }
  ~ScopedPlugLock()
  {
    if (mMutex) mMutex->Leave();
  }

  ScopedPlugLock(const ScopedPlugLock&) = delete;
  ScopedPlugLock& operator=(const ScopedPlugLock&) = delete;

private:
  WDL_Mutex* mMutex;
};
