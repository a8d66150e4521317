#include "effect/KestB.h"

KestB::KestB() : s_() {}

void KestB::Calc(double fs, double h, double l, double o) {
  KestCalc<KestB>(fs, h, l, o, s_.a, s_.b);
}

double KestB::Process(double in) { return KestRun<kOrder>(s_, in); }
