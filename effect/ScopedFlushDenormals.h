#pragma once

#include <xmmintrin.h>

// Within its scope, subnormal results are flushed to zero and subnormal operands read as zero
// (the SSE control register's FTZ and DAZ bits), so a decaying filter does not slow down when its
// state sinks below the normal range; normal operands and results are unaffected. The previous
// mode is restored when the scope ends.
class ScopedFlushDenormals {
public:
  ScopedFlushDenormals() : saved_(_mm_getcsr()) {
    _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
  }
  ~ScopedFlushDenormals() { _mm_setcsr(saved_); }
  ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
  ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

private:
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  unsigned saved_;
};
