#pragma once

#include <ctime>

// Coarse interval timer on processor time.
class Timer
{
public:
  using ClockFn = std::clock_t (*)();

  // Starts measuring from now; clock is the time source (processor time by default).
  explicit Timer(ClockFn clock = std::clock);

  // True, and restarts the measurement, once more than interval seconds have passed since the
  // last start; false otherwise.
  bool Every(double interval);

private:
  ClockFn mClock;
  std::clock_t mTime;
};
