#pragma once

#include "effect/KestB.h"
#include "effect/KestF.h"
#include "effect/KestSaturation.h"
#include "effect/KestState.h"

// The four tone filters of one stereo frame, run as two pairs of vector lanes: the first circuit
// on the left and right channel in one pair, the second circuit in the other. Every lane performs
// exactly the arithmetic of KestF or KestB (the same templates on a two-lane value type), so its
// coefficients, histories and outputs are bit-identical to those of a filter object given the
// same calls. Where the processor has wider vectors, the coefficients of several consecutive
// frames are computed in one go.
class KestLanes {
public:
  // Filter indices, in the order the tone chain hands out smoothed knob values.
  enum Filter { kFirstLeft, kFirstRight, kSecondLeft, kSecondRight, kFilters };

  // All four filters zeroed, like freshly constructed KestF and KestB objects.
  KestLanes();

  // Largest number of consecutive frames whose coefficients CalcFrames computes at once: 4 or 2
  // where the processor has the vector width for it, otherwise 1; never above kMaxFramesPerCalc.
  static constexpr int kMaxFramesPerCalc = 4;
  static int FramesPerCalc();

  // Recomputes the coefficients of every filter i from (h[i], l[i], o[i]) at sample rate fs, as
  // that filter's Calc would.
  inline void Calc(double fs, const double* h, const double* l, const double* o);

  // Computes the coefficients of frames consecutive frames (1 .. FramesPerCalc()) at once: in
  // frame f, filter i from (h[4 f + i], l[4 f + i], o[4 f + i]). Frame 0's become current at
  // once, the others one by one with NextFrame.
  void CalcFrames(double fs, int frames, const double* h, const double* l, const double* o);

  // Makes the coefficients of the next frame computed by CalcFrames current.
  void NextFrame() { ++frame_; }

  // Runs one frame: left through both left filters, right through both right filters. Writes the
  // left and right outputs of circuit (0: first, 1: second) to out[0] and out[1]; for any other
  // circuit nothing is written, and the outputs nobody hears are not saturated. A filter whose
  // recursion output is not finite starts afresh and yields 0, as KestF and KestB do.
  inline void Process(double left, double right, int circuit, double* out);

  // A copy of filter i's state, with its current coefficients.
  KestState State(int filter) const;

private:
  typedef double Pair __attribute__((vector_size(16)));
  typedef long long PairMask __attribute__((vector_size(16)));
  // Rows of the coefficient store.
  enum Row { kFirstA, kFirstB, kSecondA, kSecondB, kRows };

  static void ClearLane(KestStateOf<Pair>& s, int lane);
  template <class Wide, int kFrames>
  void CalcWide(double fs, int frames, const double* h, const double* l, const double* o);
  void CalcFrames2(double fs, int frames, const double* h, const double* l, const double* o);
  void CalcFrames4(double fs, int frames, const double* h, const double* l, const double* o);

  // Histories of the two pairs; their own coefficient fields stay unused.
  KestStateOf<Pair> first_;
  KestStateOf<Pair> second_;
  // Coefficients by row, coefficient index and frame, so that the frames of one coefficient sit
  // side by side as one wide vector.
  alignas(64) Pair coefficients_[kRows][7][kMaxFramesPerCalc];
  // Frame of coefficients_ in use.
  int frame_ = 0;
};

inline void KestLanes::Calc(double fs, const double* h, const double* l, const double* o) {
  constexpr int kStride = kMaxFramesPerCalc;
  KestCalc<KestF, Pair>(fs, Pair{h[kFirstLeft], h[kFirstRight]},
                        Pair{l[kFirstLeft], l[kFirstRight]}, Pair{o[kFirstLeft], o[kFirstRight]},
                        &coefficients_[kFirstA][0][0], &coefficients_[kFirstB][0][0], kStride);
  KestCalc<KestB, Pair>(fs, Pair{h[kSecondLeft], h[kSecondRight]},
                        Pair{l[kSecondLeft], l[kSecondRight]},
                        Pair{o[kSecondLeft], o[kSecondRight]}, &coefficients_[kSecondA][0][0],
                        &coefficients_[kSecondB][0][0], kStride);
  frame_ = 0;
}

inline void KestLanes::Process(double left, double right, int circuit, double* out) {
  const Pair in = {left, right};
  constexpr int kStride = kMaxFramesPerCalc;
  const Pair yFirst = KestRecurse<KestF::kOrder>(first_, &coefficients_[kFirstA][0][frame_],
                                                 &coefficients_[kFirstB][0][frame_], kStride, in);
  const Pair ySecond = KestRecurse<KestB::kOrder>(second_, &coefficients_[kSecondA][0][frame_],
                                                  &coefficients_[kSecondB][0][frame_], kStride, in);
  const Pair limit = {DBL_MAX, DBL_MAX};
  const PairMask firstOk = (yFirst <= limit) & (-yFirst <= limit);
  const PairMask secondOk = (ySecond <= limit) & (-ySecond <= limit);
  KestShift(first_, yFirst);
  KestShift(second_, ySecond);
  const PairMask allOk = firstOk & secondOk;
  if (!(allOk[0] && allOk[1])) {
    for (int lane = 0; lane < 2; ++lane) {
      if (!firstOk[lane]) ClearLane(first_, lane);
      if (!secondOk[lane]) ClearLane(second_, lane);
    }
  }
  if (circuit != 0 && circuit != 1) return;
  const Pair y = circuit == 0 ? yFirst : ySecond;
  const PairMask ok = circuit == 0 ? firstOk : secondOk;
  out[0] = ok[0] ? KestSaturate(y[0]) : 0.0;
  out[1] = ok[1] ? KestSaturate(y[1]) : 0.0;
}
