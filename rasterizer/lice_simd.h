#pragma once

// Instruction sets the rasteriser's pixel loops use. Every loop has a baseline x86-64 (SSE2) form;
// the busiest ones also have an AVX2 form, taken where the processor supports it. Both give the
// same pixels.
enum class LICE_SimdLevel
{
  kBaseline,
  kAvx2
};

// The widest level this processor supports (AVX2 needs the processor and the system to allow it).
LICE_SimdLevel LICE_SupportedSimd();

// The level the loops use now: the supported one, or lower after LICE_LimitSimd.
LICE_SimdLevel LICE_ActiveSimd();

// Keeps the loops at or below level (never above what the processor supports), so that tests can
// run each form; meant for start-up, not for while another thread draws.
void LICE_LimitSimd(LICE_SimdLevel level);
