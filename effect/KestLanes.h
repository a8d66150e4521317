#pragma once

#include "effect/KestB.h"
#include "effect/KestF.h"
#include "effect/KestSaturation.h"
#include "effect/KestState.h"

// The four tone filters of one stereo frame, run as two pairs of vector lanes: the first circuit
// on the left and right channel in one pair, the second circuit in the other. Every lane performs
// exactly the arithmetic of KestF or KestB (the same templates on a two-lane value type), so its
// coefficients, histories and outputs are bit-identical to those of a filter object given the
// same calls.
class KestLanes {
public:
  // Filter indices, in the order the tone chain hands out smoothed knob values.
  enum Filter { kFirstLeft, kFirstRight, kSecondLeft, kSecondRight, kFilters };

  // All four filters zeroed, like freshly constructed KestF and KestB objects.
  KestLanes();

  // Recomputes the coefficients of every filter i from (h[i], l[i], o[i]) at sample rate fs, as
  // that filter's Calc would.
  inline void Calc(double fs, const double* h, const double* l, const double* o);

  // Runs one frame: left through both left filters, right through both right filters. Writes the
  // four outputs in filter order; a filter whose recursion output is not finite starts afresh and
  // yields 0, as KestF and KestB do.
  inline void Process(double left, double right, double* out);

  // A copy of filter i's state.
  KestState State(int filter) const;

private:
  typedef double Pair __attribute__((vector_size(16)));
  typedef long long PairMask __attribute__((vector_size(16)));

  static void ClearLane(KestStateOf<Pair>& s, int lane);

  KestStateOf<Pair> first_;
  KestStateOf<Pair> second_;
};

inline void KestLanes::Calc(double fs, const double* h, const double* l, const double* o) {
  KestCalc<KestF, Pair>(first_, fs, Pair{h[kFirstLeft], h[kFirstRight]},
                        Pair{l[kFirstLeft], l[kFirstRight]}, Pair{o[kFirstLeft], o[kFirstRight]});
  KestCalc<KestB, Pair>(second_, fs, Pair{h[kSecondLeft], h[kSecondRight]},
                        Pair{l[kSecondLeft], l[kSecondRight]},
                        Pair{o[kSecondLeft], o[kSecondRight]});
}

inline void KestLanes::Process(double left, double right, double* out) {
  const Pair in = {left, right};
  const Pair yFirst = KestRecurse<KestF::kOrder>(first_, in);
  const Pair ySecond = KestRecurse<KestB::kOrder>(second_, in);
  const Pair limit = {1.7976931348623157e308, 1.7976931348623157e308};
  const PairMask firstOk = (yFirst <= limit) & (-yFirst <= limit);
  const PairMask secondOk = (ySecond <= limit) & (-ySecond <= limit);
  const PairMask allOk = firstOk & secondOk;
  if (allOk[0] && allOk[1]) {
    KestShift(first_, yFirst);
    KestShift(second_, ySecond);
    out[kFirstLeft] = KestSaturate(yFirst[0]);
    out[kFirstRight] = KestSaturate(yFirst[1]);
    out[kSecondLeft] = KestSaturate(ySecond[0]);
    out[kSecondRight] = KestSaturate(ySecond[1]);
    return;
  }
  KestShift(first_, yFirst);
  KestShift(second_, ySecond);
  for (int lane = 0; lane < 2; ++lane) {
    out[kFirstLeft + lane] = firstOk[lane] ? KestSaturate(yFirst[lane]) : 0.0;
    out[kSecondLeft + lane] = secondOk[lane] ? KestSaturate(ySecond[lane]) : 0.0;
    if (!firstOk[lane]) ClearLane(first_, lane);
    if (!secondOk[lane]) ClearLane(second_, lane);
  }
}
