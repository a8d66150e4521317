#include "effect/KestLanes.h"

KestLanes::KestLanes() : first_(), second_() {}

void KestLanes::ClearLane(KestStateOf<Pair>& s, int lane) {
  s.x0[lane] = 0.0;
  s.y0[lane] = 0.0;
  for (int k = 0; k < 6; ++k) {
    s.x[k][lane] = 0.0;
    s.y[k][lane] = 0.0;
  }
}

KestState KestLanes::State(int filter) const {
  const KestStateOf<Pair>& pair = filter < kSecondLeft ? first_ : second_;
  const int lane = filter - (filter < kSecondLeft ? kFirstLeft : kSecondLeft);
  KestState s;
  s.x0 = pair.x0[lane];
  s.y0 = pair.y0[lane];
  for (int k = 0; k < 6; ++k) {
    s.x[k] = pair.x[k][lane];
    s.y[k] = pair.y[k][lane];
  }
  for (int k = 0; k < 7; ++k) {
    s.a[k] = pair.a[k][lane];
    s.b[k] = pair.b[k][lane];
  }
  return s;
}
