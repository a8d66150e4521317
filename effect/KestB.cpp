#include "effect/KestB.h"

KestB::KestB() : s_() {}

void KestB::Calc(double fs, double h, double l, double o) {
  KestCalc<KestB, double>(s_, fs, h, l, o);
}

double KestB::Process(double in) { return KestRun<kOrder>(s_, in); }
