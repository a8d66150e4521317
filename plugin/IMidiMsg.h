#pragma once

#include <cstdint>

// One short MIDI message with its sample offset inside the current audio block.
struct IMidiMsg
{
  // Message kind: the high nibble of the status byte.
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // Controller numbers.
  enum EControlChangeMsg
  {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kEffectControl1 = 12,
    kEffectControl2 = 13,
    kGeneralPurposeController1 = 16,
    kGeneralPurposeController2 = 17,
    kGeneralPurposeController3 = 18,
    kGeneralPurposeController4 = 19,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kLegatoOnOff = 68,
    kHold2OnOff = 69,
    kSoundVariation = 70,
    kResonance = 71,
    kReleaseTime = 72,
    kAttackTime = 73,
    kCutoffFrequency = 74,
    kDecayTime = 75,
    kVibratoRate = 76,
    kVibratoDepth = 77,
    kVibratoDelay = 78,
    kSoundControllerUndefined = 79,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kLocalControl = 122,
    kAllNotesOff = 123,
    kOmniModeOff = 124,
    kOmniModeOn = 125,
    kMonoModeOn = 126,
    kPolyModeOn = 127
  };

  // Sample offset inside the block, status byte and the two data bytes.
  int mOffset;
  uint8_t mStatus, mData1, mData2;

  IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
    : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  // Sets every field to 0.
  void Clear();
  // Note on / note off for noteNumber on channel (0..15) at sample offset; the numbers are stored
  // without range checks.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value in -1..1, centre 0; limited to the 14-bit range.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value in 0..1.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  // Channel 0..15.
  int Channel() const;
  // The kind, or kNone for data and system bytes.
  EStatusMsg StatusMsg() const;
  // Each of these returns -1 when the message is not of the kind that carries the value.
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  // -1 .. 8191/8192 for pitch-wheel messages, 0 otherwise.
  double PitchWheel() const;
  // The first data byte read as a controller number, whatever the kind.
  EControlChangeMsg ControlChangeIdx() const;
  // 0..1 for a control change of controller idx, -1 otherwise.
  double ControlChange(EControlChangeMsg idx) const;
  // Kept for a logging build; does nothing here.
  void LogMsg() const {}
};

// One system-exclusive message; the bytes belong to the sender.
struct ISysEx
{
  int mOffset, mSize;
  const uint8_t* mData;

  ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
    : mOffset(offset), mSize(size), mData(data)
  {
  }

  // Sets every field to 0.
  void Clear();
  // Kept for a logging build; does nothing here.
  void LogMsg() const {}
};

// Name of a message kind ("noteon", ...), "unknown" for values without one.
const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);
// Writes up to maxLen / 3 bytes of data as space-separated upper-case hex pairs into buf
// (maxLen bytes); "" for no data. Returns buf.
char* SysExStr(char* buf, int maxLen, const uint8_t* data, int size);
