#pragma once

#include "plugin/IPlugBase.h"

#include <string>
#include <utility>
#include <vector>

constexpr int kUniqueID = 0x4B737431; // 'Kst1'
constexpr int kMfrID = 0x4F727674;    // 'Orvt'

// A plug-in base with recording host services, for tests.
class TestPlug : public IPlugBase
{
public:
  TestPlug(int nParams, const char* channelIO, int nPresets, bool doesChunks = false, int version = 0x10000,
           EAPI api = kAPIVST2)
    : IPlugBase(nParams, channelIO, nPresets, "Kestrune", "", "Orvantic", version, kUniqueID, kMfrID, 0, false,
                doesChunks, false, api)
  {
  }

  void OnParamChange(int paramIdx) override
  {
    IPlugBase::OnParamChange(paramIdx);
    paramChanges.push_back(paramIdx);
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override
  {
    hostInformed.emplace_back(paramIdx, normalizedValue);
  }
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override { ++programChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return tempo; }
  void GetTimeSig(int* pNum, int* pDen) override { *pNum = *pDen = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg* pMsg) override
  {
    sentMidi.push_back(pMsg);
    return static_cast<int>(sentMidi.size()) - 1 != failSendAt;
  }
  void PresetsChangedByHost() override { ++presetsChanged; }

  std::vector<int> paramChanges;
  std::vector<std::pair<int, double>> hostInformed;
  std::vector<IMidiMsg*> sentMidi;
  int failSendAt = -1;
  int programChanges = 0;
  int presetsChanged = 0;
  double tempo = 0.0;
};

// The six-parameter layout of the Kestrune effect: OUT, an untouched switch, HI, an untouched
// parameter, LO and Bypass, with one preset named "-".
class KestruneLikePlug : public TestPlug
{
public:
  explicit KestruneLikePlug(int nPresets = 1, bool doesChunks = false) : TestPlug(6, "1-1 2-2", nPresets, doesChunks)
  {
    GetParam(5)->InitInt("Bypass", 0, 0, 1, "", "");
    GetParam(0)->InitDouble("OUT", 0.5, 0.0, 1.0, 0.01, "", "", 1.0);
    GetParam(0)->SetShape(1.0);
    GetParam(2)->InitDouble("HI", 0.5, 0.0, 1.0, 0.01, "", "", 1.0);
    GetParam(2)->SetShape(2.0);
    GetParam(4)->InitDouble("LO", 0.5, 0.0, 1.0, 0.01, "", "", 1.0);
    GetParam(4)->SetShape(2.0);
    MakeDefaultPreset("-", 1);
  }
};
