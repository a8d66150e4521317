#pragma once

#include "plugin/IPlugBase.h"

// The Kestrune parameter layout with inert host services, for fuzz targets.
class FuzzPlug : public IPlugBase
{
public:
  FuzzPlug(int nPresets, bool doesChunks)
    : IPlugBase(6, "1-1 2-2", nPresets, "Kestrune", "", "Orvantic", 0x10000, 0x4B737431, 0x4F727674, 0, false,
                doesChunks, false, kAPIVST2)
  {
    GetParam(5)->InitInt("Bypass", 0, 0, 1, "", "");
    GetParam(0)->InitDouble("OUT", 0.5, 0.0, 1.0, 0.01, "", "", 1.0);
    GetParam(2)->InitDouble("HI", 0.5, 0.0, 1.0, 0.01, "", "", 2.0);
    GetParam(4)->InitDouble("LO", 0.5, 0.0, 1.0, 0.01, "", "", 2.0);
    MakeDefaultPreset("-", 1);
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDen) override { *pNum = *pDen = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return true; }
};
