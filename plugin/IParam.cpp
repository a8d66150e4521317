#include "plugin/IParam.h"

#include "plugin/TextUtils.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
void CopyName(char* dst, const char* src)
{
  strncpy(dst, src ? src : "", MAX_PARAM_NAME_LEN - 1);
  dst[MAX_PARAM_NAME_LEN - 1] = 0;
}

// Conversion toward zero that stays defined for values outside int and for NaN.
int TruncToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}
} // namespace

IParam::IParam() : mDisplayTexts(4096)
{
  mName[0] = mLabel[0] = mParamGroup[0] = 0;
}

void IParam::SetTypeIfNone(EParamType type)
{
  if (mType == kTypeNone) mType = type;
}

void IParam::SetStrings(const char* name, const char* label, const char* group)
{
  CopyName(mName, name);
  CopyName(mLabel, label);
  CopyName(mParamGroup, group);
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  SetTypeIfNone(kTypeBool);
  SetStrings(name, label, group);
  mValue = mDefault = defaultVal ? 1.0 : 0.0;
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group)
{
  SetTypeIfNone(kTypeEnum);
  InitInt(name, defaultVal, 0, nEnums - 1, label, group);
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group)
{
  SetTypeIfNone(kTypeInt);
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, label, group, 1.0);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape)
{
  SetTypeIfNone(kTypeDouble);
  SetStrings(name, label, group);
  mValue = mDefault = defaultVal;
  mMin = minVal;
  // A NaN bound fails the comparison and is kept as given.
  mMax = (maxVal < minVal + step) ? minVal + step : maxVal;
  mStep = step;

  mDisplayPrecision = 0;
  for (double s = step; mDisplayPrecision < 6 && s != floor(s); s *= 10.0) ++mDisplayPrecision;

  SetShape(shape);
}

bool IParam::SetDisplayText(int value, const char* text)
{
  DisplayText entry;
  entry.mValue = value;
  CopyName(entry.mText, text);
  return mDisplayTexts.Add(entry);
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

double IParam::GetNonNormalized(double normalizedValue) const
{
  return mMin + (mMax - mMin) * pow(normalizedValue, mShape);
}

void IParam::SetNormalized(double normalizedValue)
{
  double v = GetNonNormalized(normalizedValue);
  if (mType != kTypeDouble) v = floor(v / mStep + 0.5) * mStep;
  mValue = (v < mMax) ? v : mMax;
}

double IParam::GetNormalized() const
{
  return GetNormalized(mValue);
}

double IParam::GetNormalized(double nonNormalizedValue) const
{
  double c = nonNormalizedValue;
  if (c < mMin)
    c = mMin;
  else if (mMax < c)
    c = mMax;
  // A step of 0 lets max equal min; the one value such a range holds reads as its bottom rather
  // than as 0 / 0.
  if (mMax == mMin) return 0.0;
  return pow((c - mMin) / (mMax - mMin), 1.0 / mShape);
}

double IParam::DBToAmp() const
{
  return exp(mValue * 0.1151292546497);
}

void IParam::GetBounds(double* pMin, double* pMax) const
{
  *pMin = mMin;
  *pMax = mMax;
}

void IParam::Set(double value)
{
  // Restored state may hold anything; a NaN would otherwise pass both bound tests.
  if (!(value == value))
    mValue = mMin;
  else if (value < mMin)
    mValue = mMin;
  else if (mMax < value)
    mValue = mMax;
  else
    mValue = value;
}

const char* IParam::GetLabelForHost() const
{
  return GetDisplayText(TruncToInt(mValue))[0] ? "" : mLabel;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText) const
{
  if (normalized) value = GetNonNormalized(value);

  if (withDisplayText)
  {
    const char* text = GetDisplayText(TruncToInt(value));
    if (text[0])
    {
      strcpy(out, text);
      return;
    }
  }

  if (mNegateDisplay) value = -value;

  ScopedCNumbers cNumbers;
  if (mDisplayPrecision == 0)
    snprintf(out, MAX_PARAM_DISPLAY_LEN, "%d", TruncToInt(value));
  else
    snprintf(out, MAX_PARAM_DISPLAY_LEN, "%.*f", mDisplayPrecision, value);
}

int IParam::GetNDisplayTexts() const
{
  return mDisplayTexts.GetSize();
}

const char* IParam::GetDisplayText(int value) const
{
  const int n = mDisplayTexts.GetSize();
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
    if (entries[i].mValue == value) return entries[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int index, int* pValue) const
{
  if (index < 0 || index >= mDisplayTexts.GetSize()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[index];
  if (pValue) *pValue = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* pValue) const
{
  const int n = mDisplayTexts.GetSize();
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
  {
    if (strcmp(entries[i].mText, text) == 0)
    {
      *pValue = entries[i].mValue;
      return true;
    }
  }
  return false;
}
