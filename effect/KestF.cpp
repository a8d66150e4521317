#include "effect/KestF.h"

KestF::KestF() : s_() {}

void KestF::Calc(double fs, double h, double l, double o) {
  KestCalc<KestF, double>(s_, fs, h, l, o);
}

double KestF::Process(double in) { return KestRun<kOrder>(s_, in); }
