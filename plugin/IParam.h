#pragma once

#include "containers/WDL_TypedBuf.h"

// Longest name, label, group or display text, terminator included.
#define MAX_PARAM_NAME_LEN 32
// Size of the buffer GetDisplayForHost writes into, terminator included.
#define MAX_PARAM_DISPLAY_LEN 32

// One automatable parameter: a plain value with bounds, step and shape, the conversion between
// the plain value and the normalised 0..1 value that hosts and controls exchange, and the texts
// shown for it. It has no lock of its own; the plug-in's lock guards its value.
class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4
  };

  // Type none, range 0..1, step 1, shape 1, value 0, empty texts.
  IParam();

  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Initialisation. Each sets the type only while it is still none; strings are copied and cut to
  // MAX_PARAM_NAME_LEN - 1 characters (null counts as empty).

  // 0..1 parameter showing "off" and "on" (the two texts are appended on every call).
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  // 0..count-1 parameter (max at least 1).
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "");
  // Integer parameter with step 1 (max at least min + 1).
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  // Continuous parameter; max is raised to min + step when below it; shape 0 keeps the old shape.
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Appends a text shown for the integer value; earlier texts for the same value win lookups.
  // Returns false (parameter unchanged) when the text list cannot grow.
  bool SetDisplayText(int value, const char* text);
  // Replaces the shape unless shape is exactly 0.
  void SetShape(double shape);
  // Shows values with their sign flipped from now on.
  void NegateDisplay() { mNegateDisplay = true; }

  // Conversion.

  // Sets the plain value from a normalised one: shaped, rounded to the step grid unless the type is
  // double, limited at the top only (not-a-number ends at max).
  void SetNormalized(double normalizedValue);
  // The current value as a normalised number (clamped into 0..1 first; 0 when max equals min).
  double GetNormalized() const;
  // Any plain number as a normalised number under this parameter's bounds and shape (0 when max
  // equals min).
  double GetNormalized(double nonNormalizedValue) const;
  // Any normalised number as a plain number; no clamping, no rounding.
  double GetNonNormalized(double normalizedValue) const;
  // The current value read as decibels, as a linear amplitude factor.
  double DBToAmp() const;
  // Writes min and max.
  void GetBounds(double* pMin, double* pMax) const;
  // Sets the plain value limited to [min, max], with no step rounding (NaN gives min).
  void Set(double value);

  // Read access to the type, plain value, bounds, step, shape, display precision and negate flag.
  EParamType Type() const { return mType; }
  double Value() const { return mValue; }
  double GetDefault() const { return mDefault; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  int GetPrecision() const { return mDisplayPrecision; }
  bool DisplayIsNegated() const { return mNegateDisplay; }

  // Host-facing texts.

  const char* GetNameForHost() const { return mName; }
  // The label, or "" while the current value shows a display text.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }
  // Writes the display string of value (plain, or normalised when normalized is true) into out,
  // which must hold MAX_PARAM_DISPLAY_LEN bytes; with withDisplayText a display text wins.
  void GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText = true) const;
  // Writes the display string of the current value.
  void GetDisplayForHost(char* out, bool withDisplayText = true) const
  {
    GetDisplayForHost(mValue, false, out, withDisplayText);
  }
  int GetNDisplayTexts() const;
  // The first text appended for value, or "".
  const char* GetDisplayText(int value) const;
  // The text of entry index (and its value through pValue when not null); "" for an index outside the list.
  const char* GetDisplayTextAtIdx(int index, int* pValue = nullptr) const;
  // Reverse lookup (exact, case-sensitive). Returns true and writes the value of the first entry
  // whose text equals text; false leaves *pValue untouched.
  bool MapDisplayText(const char* text, int* pValue) const;

private:
  struct DisplayText
  {
    int mValue;
    char mText[MAX_PARAM_NAME_LEN];
  };

  void SetTypeIfNone(EParamType type);
  void SetStrings(const char* name, const char* label, const char* group);

  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[MAX_PARAM_NAME_LEN];
  char mLabel[MAX_PARAM_NAME_LEN];
  char mParamGroup[MAX_PARAM_NAME_LEN];
  bool mNegateDisplay = false;
  WDL_TypedBuf<DisplayText> mDisplayTexts;
};
