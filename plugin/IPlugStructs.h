#pragma once

// Plug-in API a build of the framework talks to.
enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5,
  // 6 stays unassigned, as it always has been.
  kAPILV2 = 7
};

// Host-neutral transport state. A host query overwrites only the fields the host reports as valid;
// the rest keep the values the caller put there (the defaults below unless set otherwise).
struct ITimeInfo
{
  double mTempo = 120.0;         // beats per minute
  double mSamplePos = -1.0;      // position of the current block, in samples
  double mPPQPos = -1.0;         // position in quarter notes
  double mLastBar = -1.0;        // quarter-note position of the last bar start
  double mCycleStart = -1.0;     // loop start in quarter notes
  double mCycleEnd = -1.0;       // loop end in quarter notes
  int mNumerator = 4;            // time-signature numerator
  int mDenominator = 4;          // time-signature denominator
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
