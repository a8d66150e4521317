#include "effect/KestB.h"

KestB::KestB() : s_() {}

void KestB::Calc(double fs, double h, double l, double o) {
  KestCalc<KestB, double>(fs, h, l, o, s_.a, s_.b, 1);
}

double KestB::Process(double in) { return KestRun<kOrder>(s_, in); }
