#include "plugin/Timer.h"

Timer::Timer(ClockFn clock) : mClock(clock), mTime(clock()) {}

bool Timer::Every(double interval)
{
  const std::clock_t now = mClock();
  if (static_cast<double>(now - mTime) > interval * CLOCKS_PER_SEC)
  {
    mTime = now;
    return true;
  }
  return false;
}
