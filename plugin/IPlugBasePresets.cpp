#include "plugin/IPlugBase.h"

#include "plugin/Base64.h"
#include "plugin/Log.h"
#include "plugin/ScopedFile.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

namespace
{
// Stands for "not named" in MakePresetFromNamedParams.
constexpr double kUnnamedMarker = 9.999e-8;

bool IsDiscrete(const IParam* pParam)
{
  const IParam::EParamType type = pParam->Type();
  return type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum;
}

// Reads the next variadic value the way callers pass it for this parameter's type.
double NextValue(const IParam* pParam, va_list* pArgs)
{
  return IsDiscrete(pParam) ? static_cast<double>(va_arg(*pArgs, int)) : va_arg(*pArgs, double);
}

bool WriteBlobLine(FILE* fp, const char* name, const ByteChunk& chunk)
{
  WDL_String blob;
  if (!Base64Encode(chunk.GetBytes(), chunk.Size(), &blob)) return false;
  fprintf(fp, "MakePresetFromBlob(\"%s\", \"", name);
  fprintf(fp, "%s\", %i);\n", blob.Get(), chunk.Size());
  return true;
}
} // namespace

// ---- State chunks ----

bool IPlugBase::SerializeParams(ByteChunk* pChunk)
{
  WDL_MutexLock lock(&mMutex);
  bool ok = true;
  for (int i = 0; i < NParams() && ok; ++i)
  {
    const IParam* pParam = GetParam(i);
    Trace("SerializeParams", __LINE__, "%d %s %f", i, pParam->GetNameForHost(), pParam->Value());
    const double v = pParam->Value();
    ok = pChunk->Put(&v) > 0;
  }
  return ok;
}

int IPlugBase::UnserializeParams(ByteChunk* pChunk, int startPos)
{
  WDL_MutexLock lock(&mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    IParam* pParam = GetParam(i);
    double v = 0.0;
    pos = pChunk->Get(&v, pos);
    pParam->Set(v);
    Trace("UnserializeParams", __LINE__, "%d %s %f", i, pParam->GetNameForHost(), pParam->Value());
  }
  OnParamReset();
  return pos;
}

bool IPlugBase::SerializePresets(ByteChunk* pChunk)
{
  bool ok = true;
  for (int i = 0; i < NPresets() && ok; ++i)
  {
    const IPreset* pPreset = mPresets.Get(i);
    ok = pChunk->PutStr(pPreset->mName) > 0;
    Trace("SerializePresets", __LINE__, "%d %s", i, pPreset->mName);
    ok = ok && pChunk->PutBool(pPreset->mInitialized) > 0;
    if (ok && pPreset->mInitialized) ok = pChunk->PutChunk(&pPreset->mChunk) > 0;
  }
  return ok;
}

int IPlugBase::UnserializePresets(ByteChunk* pChunk, int startPos)
{
  WDL_String name;
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i)
  {
    IPreset* pPreset = mPresets.Get(i);
    pos = pChunk->GetStr(&name, pos);
    // A name cut off by the end of the chunk must not rename the slot after its neighbour.
    if (pos >= 0 && pos <= pChunk->Size()) pPreset->SetName(name.Get());
    Trace("UnserializePresets", __LINE__, "%d %s", i, pPreset->mName);

    uint8_t flag = 0;
    if (pos >= 0 && pos < pChunk->Size())
    {
      pos = pChunk->Get(&flag, pos);
      pPreset->mInitialized = flag != 0;
    }
    else
    {
      pos = -1;
    }

    if (pPreset->mInitialized)
    {
      pos = UnserializeState(pChunk, pos);
      if (pos > 0)
      {
        pPreset->mChunk.Clear();
        SerializeState(&pPreset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IPlugBase::CompareState(const unsigned char* data, int startPos)
{
  for (int i = 0; i < NParams(); ++i)
  {
    double stored;
    memcpy(&stored, data + (static_cast<size_t>(startPos) + i) * sizeof(double), sizeof(double));
    const double live = GetParam(i)->Value();
    const double diff = fabs(static_cast<double>(static_cast<float>(live)) - static_cast<float>(stored));
    if (!(diff < 0.00001)) return false;
  }
  return true;
}

// ---- Making presets ----

IPreset* IPlugBase::FillNextPreset(const char* name)
{
  IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
  if (!pPreset) return nullptr;
  pPreset->mInitialized = true;
  pPreset->SetName(name);
  return pPreset;
}

void IPlugBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* pPreset = FillNextPreset(name ? name : DEFAULT_PRESET_NAME);
    if (!pPreset) return;
    SerializeState(&pPreset->mChunk);
  }
}

bool IPlugBase::MakePreset(const char* name, ...)
{
  IPreset* pPreset = FillNextPreset(name);
  if (!pPreset) return false;
  va_list args;
  va_start(args, name);
  bool ok = true;
  for (int i = 0; i < NParams(); ++i)
  {
    const double v = NextValue(GetParam(i), &args);
    ok = pPreset->mChunk.Put(&v) > 0 && ok;
  }
  va_end(args);
  return ok;
}

bool IPlugBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* pPreset = FillNextPreset(name);
  if (!pPreset) return false;

  WDL_TypedBuf<double> values;
  if (!values.Resize(NParams())) return false;
  for (int i = 0; i < NParams(); ++i) values.Get()[i] = kUnnamedMarker;

  va_list args;
  va_start(args, nParamsNamed);
  for (int k = 0; k < nParamsNamed; ++k)
  {
    const int idx = va_arg(args, int);
    const IParam* pParam = GetParam(idx);
    // Without a parameter the type of the value that follows is unknown, so nothing after it can be read.
    if (!pParam) break;
    values.Get()[idx] = NextValue(pParam, &args);
  }
  va_end(args);

  bool ok = true;
  for (int i = 0; i < NParams(); ++i)
  {
    double v = values.Get()[i];
    if (v == kUnnamedMarker) v = GetParam(i)->Value();
    ok = pPreset->mChunk.Put(&v) > 0 && ok;
  }
  return ok;
}

bool IPlugBase::MakePresetFromChunk(const char* name, const ByteChunk* pChunk)
{
  IPreset* pPreset = FillNextPreset(name);
  return pPreset && (pChunk->Size() == 0 || pPreset->mChunk.PutChunk(pChunk) > 0);
}

bool IPlugBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  ByteChunk decoded;
  if (sizeOfChunk > 0 && decoded.Resize(sizeOfChunk) != sizeOfChunk) return false;
  Base64Decode(blob, decoded.GetBytes(), decoded.Size());
  return MakePresetFromChunk(name, &decoded);
}

void IPlugBase::EnsureDefaultPreset()
{
  MakeDefaultPreset(DEFAULT_PRESET_NAME, NPresets());
}

void IPlugBase::PruneUninitializedPresets()
{
  for (int i = NPresets() - 1; i >= 0; --i)
  {
    if (mPresets.Get(i)->mInitialized) continue;
    mPresets.Delete(i, true);
    // Keep the index on the same slot; a removed current slot falls back to the first.
    if (i < mCurrentPresetIdx)
      --mCurrentPresetIdx;
    else if (i == mCurrentPresetIdx)
      mCurrentPresetIdx = 0;
  }
}

// ---- Restoring and modifying ----

bool IPlugBase::RestorePreset(int idx)
{
  IPreset* pPreset = mPresets.Get(idx);
  if (!pPreset) return false;

  if (pPreset->mInitialized)
  {
    // A plug-in without parameters reads nothing and ends at position 0, which is a success.
    if (UnserializeState(&pPreset->mChunk, 0) < 0) return false;
  }
  else
  {
    char name[MAX_PRESET_NAME_LEN];
    MakeDefaultUserPresetName(&mPresets, name);
    pPreset->mInitialized = true;
    pPreset->SetName(name);
    pPreset->mChunk.Clear();
    if (!SerializeState(&pPreset->mChunk)) return false;
  }

  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IPlugBase::RestorePreset(const char* name)
{
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IPlugBase::GetPresetName(int idx) const
{
  const IPreset* pPreset = mPresets.Get(idx);
  return pPreset ? pPreset->mName : "";
}

void IPlugBase::ModifyCurrentPreset(const char* name)
{
  IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!pPreset) return;
  pPreset->mChunk.Clear();
  SerializeState(&pPreset->mChunk);
  if (name && name[0]) pPreset->SetName(name);
  Trace("ModifyCurrentPreset", __LINE__, "%d %s", mCurrentPresetIdx, pPreset->mName);
}

// ---- Developer aids ----

bool IPlugBase::DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[])
{
  ScopedFile file(fileName, "w");
  FILE* fp = file.Get();
  if (!fp || !paramEnumNames) return false;
  fprintf(fp, "  MakePresetFromNamedParams(\"%s\", %d", GetPresetName(mCurrentPresetIdx), NParams());
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam* pParam = GetParam(i);
    char text[64];
    switch (pParam->Type())
    {
      case IParam::kTypeBool: snprintf(text, sizeof(text), "%s", pParam->Value() >= 0.5 ? "true" : "false"); break;
      case IParam::kTypeInt:
      case IParam::kTypeEnum: snprintf(text, sizeof(text), "%d", static_cast<int>(pParam->Value())); break;
      default: snprintf(text, sizeof(text), "%.6f", pParam->Value()); break;
    }
    fprintf(fp, ",\n    %s, %s", paramEnumNames[i], text);
  }
  fprintf(fp, ");\n");
  return fflush(fp) == 0;
}

bool IPlugBase::DumpPresetBlob(const char* fileName)
{
  ScopedFile file(fileName, "w");
  if (!file.Get()) return false;
  const IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!pPreset) return false;
  return WriteBlobLine(file.Get(), pPreset->mName, pPreset->mChunk) && fflush(file.Get()) == 0;
}

bool IPlugBase::DumpBankBlob(const char* fileName)
{
  ScopedFile file(fileName, "w");
  if (!file.Get()) return false;
  bool ok = true;
  for (int i = 0; i < NPresets() && ok; ++i)
  {
    const IPreset* pPreset = mPresets.Get(i);
    ok = WriteBlobLine(file.Get(), pPreset->mName, pPreset->mChunk);
  }
  return ok && fflush(file.Get()) == 0;
}
