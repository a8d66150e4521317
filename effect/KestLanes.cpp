#include "effect/KestLanes.h"

KestLanes::KestLanes() : first_(), second_(), coefficients_() {}

int KestLanes::FramesPerCalc() {
  static const int frames = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") ? 4 : __builtin_cpu_supports("avx") ? 2 : 1;
  }();
  return frames;
}

void KestLanes::CalcFrames(double fs, int frames, const double* h, const double* l,
                           const double* o) {
  if (frames < 2) {
    Calc(fs, h, l, o);
  } else if (frames == 2) {
    CalcFrames2(fs, frames, h, l, o);
  } else {
    CalcFrames4(fs, frames, h, l, o);
  }
}

// One wide vector holds kFrames frames of a pair: lane 2 f + c is channel c of frame f. Every lane
// performs the scalar arithmetic, so the results are those of per-frame Calc calls. Lanes beyond
// the frames asked for repeat the last frame and are dropped.
template <class Wide, int kFrames>
__attribute__((always_inline)) inline void KestLanes::CalcWide(double fs, int frames,
                                                               const double* h, const double* l,
                                                               const double* o) {
  Wide hF, lF, oF, hB, lB, oB;
  for (int f = 0; f < kFrames; ++f) {
    const int from = kFilters * (f < frames ? f : frames - 1);
    for (int c = 0; c < 2; ++c) {
      hF[2 * f + c] = h[from + kFirstLeft + c];
      lF[2 * f + c] = l[from + kFirstLeft + c];
      oF[2 * f + c] = o[from + kFirstLeft + c];
      hB[2 * f + c] = h[from + kSecondLeft + c];
      lB[2 * f + c] = l[from + kSecondLeft + c];
      oB[2 * f + c] = o[from + kSecondLeft + c];
    }
  }
  constexpr int stride = kMaxFramesPerCalc / kFrames;
  KestCalc<KestF, Wide>(fs, hF, lF, oF, reinterpret_cast<Wide*>(&coefficients_[kFirstA][0][0]),
                        reinterpret_cast<Wide*>(&coefficients_[kFirstB][0][0]), stride);
  KestCalc<KestB, Wide>(fs, hB, lB, oB, reinterpret_cast<Wide*>(&coefficients_[kSecondA][0][0]),
                        reinterpret_cast<Wide*>(&coefficients_[kSecondB][0][0]), stride);
  frame_ = 0;
}

__attribute__((target("avx"))) void KestLanes::CalcFrames2(double fs, int frames,
                                                            const double* h, const double* l,
                                                            const double* o) {
  typedef double Wide __attribute__((vector_size(32), may_alias));
  CalcWide<Wide, 2>(fs, frames, h, l, o);
}

__attribute__((target("avx512f"))) void KestLanes::CalcFrames4(double fs, int frames,
                                                                const double* h, const double* l,
                                                                const double* o) {
  typedef double Wide __attribute__((vector_size(64), may_alias));
  CalcWide<Wide, 4>(fs, frames, h, l, o);
}

void KestLanes::ClearLane(KestStateOf<Pair>& s, int lane) {
  s.x0[lane] = 0.0;
  s.y0[lane] = 0.0;
  for (int k = 0; k < 6; ++k) {
    s.x[k][lane] = 0.0;
    s.y[k][lane] = 0.0;
  }
}

KestState KestLanes::State(int filter) const {
  const bool first = filter < kSecondLeft;
  const KestStateOf<Pair>& pair = first ? first_ : second_;
  const int lane = filter - (first ? kFirstLeft : kSecondLeft);
  KestState s;
  s.x0 = pair.x0[lane];
  s.y0 = pair.y0[lane];
  for (int k = 0; k < 6; ++k) {
    s.x[k] = pair.x[k][lane];
    s.y[k] = pair.y[k][lane];
  }
  for (int k = 0; k < 7; ++k) {
    s.a[k] = coefficients_[first ? kFirstA : kSecondA][k][frame_][lane];
    s.b[k] = coefficients_[first ? kFirstB : kSecondB][k][frame_][lane];
  }
  return s;
}
