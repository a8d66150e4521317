#include "rasterizer/lice_simd.h"

#include <atomic>

namespace
{
LICE_SimdLevel detect()
{
#ifdef KESTRUNE_NO_AVX
  return LICE_SimdLevel::kBaseline;
#else
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? LICE_SimdLevel::kAvx2 : LICE_SimdLevel::kBaseline;
#endif
}

std::atomic<int>& limit()
{
  static std::atomic<int> level{int(LICE_SimdLevel::kAvx2)};
  return level;
}
} // namespace

LICE_SimdLevel LICE_SupportedSimd()
{
  static const LICE_SimdLevel supported = detect();
  return supported;
}

LICE_SimdLevel LICE_ActiveSimd()
{
  const int supported = int(LICE_SupportedSimd());
  const int limited = limit().load(std::memory_order_relaxed);
  return LICE_SimdLevel(limited < supported ? limited : supported);
}

void LICE_LimitSimd(LICE_SimdLevel level) { limit().store(int(level), std::memory_order_relaxed); }
