#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "rasterizer/lice_simd.h"

// Runs body once for every instruction-set level of the pixel loops this processor supports, with
// the rasteriser kept to that level, and lets it use everything again afterwards.
template <class Body>
void ForEachSimdLevel(Body body)
{
  for (LICE_SimdLevel level : {LICE_SimdLevel::kBaseline, LICE_SimdLevel::kAvx2})
  {
    if (int(level) > int(LICE_SupportedSimd())) continue;
    LICE_LimitSimd(level);
    SCOPED_TRACE(level == LICE_SimdLevel::kBaseline ? "baseline loops" : "AVX2 loops");
    body();
  }
  LICE_LimitSimd(LICE_SimdLevel::kAvx2);
}
