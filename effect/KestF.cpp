#include "effect/KestF.h"

KestF::KestF() : s_() {}

void KestF::Calc(double fs, double h, double l, double o) {
  KestCalc<KestF>(fs, h, l, o, s_.a, s_.b);
}

double KestF::Process(double in) { return KestRun<kOrder>(s_, in); }
