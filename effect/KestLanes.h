#pragma once

#include "effect/KestB.h"
#include "effect/KestF.h"

// The four tone filters of a stereo frame, run as two pairs of vector lanes: the first circuit on
// the left and right channel in one pair, the second circuit in the other. The frame loops come
// in one build per instruction path; the processor's features decide which may run.
//
// Two kinds of frame: while the knobs move, every frame evaluates each filter's scaled prototype
// (KestScaledPrototype) as a polynomial in the smoothers' decay factor e, maps it through the
// bilinear matrix and divides by a[0]; at rest the coefficients stay as they are, already divided
// by a[0], and only the recursions run. The recursion applies the running sums of the numerator to
// input differences, which keeps the zero at DC exact (KestBilinearNumeratorSums).
class KestLanes {
public:
  // Builds of the frame loops: plain x86-64 (SSE2), and one for processors with AVX and fused
  // multiply-add.
  enum Path { kBaseline, kAvxFma };
  // True when this processor can run the loops of path.
  static bool Supports(Path path);
  // The fastest path this processor supports.
  static Path Fastest();

  // All histories zero; coefficients zero (a filter run before it has coefficients yields 0).
  // path must be supported.
  explicit KestLanes(Path path);

  // Moving coefficients of channel lane (0 left, 1 right) of the circuit of kind Kind (KestF:
  // first, KestB: second): den[p][m] and num[p][m] are the coefficients of e^m of its scaled
  // prototype's d(p) and n(p) (KestScaledPrototype::Expand; num[0] is not read).
  template <class Kind>
  void SetMoving(int lane, const long double (*den)[Kind::kTermDegree + 1],
                 const long double (*num)[Kind::kTermDegree + 1]);
  // Resting coefficients of that channel: the digital denominator a[0 .. order] and the running
  // sums s[0 .. order - 1] of the digital numerator (KestBilinearNumeratorSums), both divided by
  // a[0] here.
  template <class Kind>
  void SetResting(int lane, const long double* a, const long double* s);

  // One call's frames: inputs, outputs (which may alias the inputs), the heard circuit (0 first,
  // 1 second, anything else keeps the held output), bypass (1 copies the input, anything else
  // plays the held output) and the held output pair itself, updated as frames are heard.
  struct Block {
    const double* inL;
    const double* inR;
    double* outL;
    double* outR;
    int frames;
    int circuit;
    int bypass;
    double* held;
  };

  // Runs the block with the moving coefficients: frame n evaluates them at e * decay^n. Returns
  // the e of the last frame. A filter whose recursion output is not finite starts afresh from
  // zero histories and yields 0, like KestF and KestB.
  double RunMoving(const Block& block, double e, double decay);
  // Runs the block with the resting coefficients.
  void RunResting(const Block& block);

private:
  typedef double Pair __attribute__((vector_size(16)));
  typedef long long PairMask __attribute__((vector_size(16)));
  // Ring length of the histories: a power of two no shorter than any filter's order.
  static constexpr int kRing = 8;

  // One circuit on both channels: lane 0 left, lane 1 right.
  template <class Kind>
  struct Circuit {
    static constexpr int kOrder = Kind::kOrder;
    static constexpr int kDegree = Kind::kTermDegree;
    Pair movingDen[kOrder + 1][kDegree + 1];
    Pair movingNum[kOrder + 1][kDegree + 1];
    Pair restingA[kOrder + 1];
    Pair restingSums[kOrder];
    // Input differences and recursion outputs, newest at the frame's ring slot and older ones
    // after it; every value is written at slot and slot + kRing, so that the order's worth after
    // any slot lie side by side.
    Pair dx[2 * kRing];
    Pair y[2 * kRing];
    Pair lastInput;

    template <bool Moving>
    Pair Step(Pair in, int slot, Pair e);
    void SetMoving(int lane, const long double (*den)[kDegree + 1],
                   const long double (*num)[kDegree + 1]);
    void SetResting(int lane, const long double* a, const long double* s);
    void ClearLane(int lane);
  };

  template <class Kind>
  Circuit<Kind>& CircuitOf();
  static Pair Saturate(Pair y, PairMask ok);
  template <bool Moving>
  double Frames(const Block& block, double e, double decay);
  double MovingBaseline(const Block& block, double e, double decay);
  double MovingAvxFma(const Block& block, double e, double decay);
  void RestingBaseline(const Block& block);
  void RestingAvxFma(const Block& block);

  Path path_;
  // Ring slot of the latest frame.
  int slot_ = 0;
  Circuit<KestF> first_;
  Circuit<KestB> second_;
};
