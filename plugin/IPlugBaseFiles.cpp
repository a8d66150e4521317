#include "plugin/IPlugBase.h"

#include "plugin/ScopedFile.h"

#include <cstring>

namespace
{
// Four-character codes of the program and bank file formats, as read big-endian.
constexpr uint32_t kChunkMagic = 0x43636E4B;   // CcnK
constexpr uint32_t kFxProgMagic = 0x4678436B;  // FxCk: program of parameter values
constexpr uint32_t kFxChunkMagic = 0x46504368; // FPCh: program of opaque state
constexpr uint32_t kFxBankMagic = 0x4678426B;  // FxBk: bank of parameter-value programs
constexpr uint32_t kFxBankChunkMagic = 0x46424368; // FBCh: bank of opaque state
constexpr int kProgramVersion = 1;
constexpr int kBankVersion = 2;

constexpr int kProgramHeaderSize = 56;       // up to the first value
constexpr int kProgramChunkOffset = 60;      // state of a chunk-form program
constexpr int kBankHeaderSize = 156;         // up to the first program record
constexpr int kBankChunkOffset = 160;        // state of a chunk-form bank
constexpr int kBankReservedSize = 124;

bool PutBE32(ByteChunk* pOut, uint32_t v)
{
  const uint8_t bytes[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return pOut->PutBytes(bytes, 4) > 0;
}

bool PutBEFloat(ByteChunk* pOut, double v)
{
  const float f = static_cast<float>(v);
  uint32_t bits;
  memcpy(&bits, &f, 4);
  return PutBE32(pOut, bits);
}

uint32_t GetBE32(const unsigned char* p)
{
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

float GetBEFloat(const unsigned char* p)
{
  const uint32_t bits = GetBE32(p);
  float f;
  memcpy(&f, &bits, 4);
  return f;
}

// The fixed 28-byte name field: at most 27 characters, zero-padded.
bool PutName(ByteChunk* pOut, const char* name)
{
  char field[FXP_NAME_LEN] = {0};
  strncpy(field, name, FXP_NAME_LEN - 1);
  return pOut->PutBytes(field, FXP_NAME_LEN) > 0;
}

void GetName(const unsigned char* p, char* name)
{
  memcpy(name, p, FXP_NAME_LEN - 1);
  name[FXP_NAME_LEN - 1] = 0;
}

// The first 56 bytes shared by program files and bank program records.
bool PutProgramHeader(ByteChunk* pOut, uint32_t byteSize, uint32_t fxMagic, int uniqueID, int version,
                      int nParams, const char* name)
{
  return PutBE32(pOut, kChunkMagic) && PutBE32(pOut, byteSize) && PutBE32(pOut, fxMagic) &&
         PutBE32(pOut, kProgramVersion) && PutBE32(pOut, static_cast<uint32_t>(uniqueID)) &&
         PutBE32(pOut, static_cast<uint32_t>(version)) && PutBE32(pOut, static_cast<uint32_t>(nParams)) &&
         PutName(pOut, name);
}

// Reads a whole file into pData. False when it cannot be opened or read.
bool ReadFile(const char* fileName, ByteChunk* pData)
{
  ScopedFile file(fileName, "rb");
  if (!file.Get()) return false;
  pData->Clear();
  unsigned char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), file.Get())) > 0)
    if (!pData->PutBytes(buf, static_cast<int>(n))) return false;
  return !ferror(file.Get());
}

// Writes data as the whole file. False when it cannot be opened or not every byte reaches it (a
// full disk shows only when the buffer is flushed).
bool WriteFile(const char* fileName, const ByteChunk& data)
{
  ScopedFile file(fileName, "wb");
  if (!file.Get()) return false;
  const size_t size = static_cast<size_t>(data.Size());
  return fwrite(data.GetBytes(), 1, size, file.Get()) == size && fflush(file.Get()) == 0;
}

// The state chunk stored at data[offset..offset + size), after its version header when it has one.
// Returns the read position inside pState, or -1 when a header is cut short.
int CopyState(const unsigned char* data, int offset, int size, ByteChunk* pState)
{
  pState->Clear();
  if (size > 0 && pState->PutBytes(data + offset, size) == 0) return -1;
  int pos = 0;
  GetIPlugVerFromChunk(pState, &pos);
  return pos;
}
} // namespace

// ---- Saving ----

bool IPlugBase::MakeProgramFXP(ByteChunk* pOut)
{
  pOut->Clear();
  const char* name = GetPresetName(mCurrentPresetIdx);
  const int version = GetEffectVersion(true);

  if (mStateChunks)
  {
    ByteChunk state;
    if (!InitChunkWithIPlugVer(&state) || !SerializeState(&state)) return false;
    return PutProgramHeader(pOut, static_cast<uint32_t>(state.Size() + kProgramChunkOffset), kFxChunkMagic,
                            mUniqueID, version, NParams(), name) &&
           PutBE32(pOut, static_cast<uint32_t>(state.Size())) && pOut->PutChunk(&state) > 0;
  }

  bool ok = PutProgramHeader(pOut, 0, kFxProgMagic, mUniqueID, version, NParams(), name);
  for (int i = 0; i < NParams() && ok; ++i) ok = PutBEFloat(pOut, GetParam(i)->GetNormalized());
  return ok;
}

bool IPlugBase::MakeBankFXB(ByteChunk* pOut)
{
  pOut->Clear();
  const int version = GetEffectVersion(true);
  ByteChunk bank;
  if (mStateChunks && (!InitChunkWithIPlugVer(&bank) || !SerializePresets(&bank))) return false;

  const uint8_t reserved[kBankReservedSize] = {0};
  bool ok = PutBE32(pOut, kChunkMagic) &&
            PutBE32(pOut, mStateChunks ? static_cast<uint32_t>(bank.Size() + kBankChunkOffset) : 0) &&
            PutBE32(pOut, mStateChunks ? kFxBankChunkMagic : kFxBankMagic) && PutBE32(pOut, kBankVersion) &&
            PutBE32(pOut, static_cast<uint32_t>(mUniqueID)) && PutBE32(pOut, static_cast<uint32_t>(version)) &&
            PutBE32(pOut, static_cast<uint32_t>(NPresets())) &&
            PutBE32(pOut, static_cast<uint32_t>(mCurrentPresetIdx)) &&
            pOut->PutBytes(reserved, kBankReservedSize) > 0;

  if (mStateChunks) return ok && PutBE32(pOut, static_cast<uint32_t>(bank.Size())) && pOut->PutChunk(&bank) > 0;

  for (int p = 0; p < NPresets() && ok; ++p)
  {
    const IPreset* pPreset = mPresets.Get(p);
    ok = PutProgramHeader(pOut, 0, kFxProgMagic, mUniqueID, version, NParams(), pPreset->mName);
    for (int i = 0; i < NParams() && ok; ++i)
    {
      double v = 0.0;
      pPreset->mChunk.Get(&v, i * static_cast<int>(sizeof(double)));
      ok = PutBEFloat(pOut, GetParam(i)->GetNormalized(v));
    }
  }
  return ok;
}

bool IPlugBase::SaveProgramAsFXP(const WDL_String* pFileName)
{
  if (!pFileName || !pFileName->GetLength()) return false;
  ByteChunk data;
  return MakeProgramFXP(&data) && WriteFile(pFileName->Get(), data);
}

bool IPlugBase::SaveBankAsFXB(const WDL_String* pFileName)
{
  if (!pFileName || !pFileName->GetLength()) return false;
  ByteChunk data;
  return MakeBankFXB(&data) && WriteFile(pFileName->Get(), data);
}

// ---- Loading ----

bool IPlugBase::LoadProgramFromFXPData(const unsigned char* data, int size)
{
  if (!data || size < kProgramHeaderSize) return false;
  if (GetBE32(data) != kChunkMagic || GetBE32(data + 12) != kProgramVersion ||
      static_cast<int>(GetBE32(data + 16)) != mUniqueID)
    return false;

  // The lock keeps processing from seeing a half-loaded program.
  WDL_MutexLock lock(&mMutex);
  const uint32_t fxMagic = GetBE32(data + 8);
  if (fxMagic == kFxProgMagic)
  {
    const long long declared = static_cast<long long>(GetBE32(data + 24));
    const long long needed = kProgramHeaderSize + 4 * (declared > NParams() ? declared : NParams());
    if (size < needed) return false;
    for (int i = 0; i < NParams(); ++i) GetParam(i)->SetNormalized(GetBEFloat(data + kProgramHeaderSize + 4 * i));
  }
  else if (fxMagic == kFxChunkMagic && mStateChunks)
  {
    if (size < kProgramChunkOffset) return false;
    const long long chunkSize = GetBE32(data + kProgramHeaderSize);
    if (chunkSize > size - kProgramChunkOffset) return false;
    ByteChunk state, previous;
    const int pos = CopyState(data, kProgramChunkOffset, static_cast<int>(chunkSize), &state);
    if (pos < 0 || !SerializeState(&previous)) return false;
    if (UnserializeState(&state, pos) < 0)
    {
      UnserializeState(&previous, 0);
      return false;
    }
  }
  else
  {
    return false;
  }

  ModifyCurrentPreset();
  RestorePreset(mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadBankFromFXBData(const unsigned char* data, int size)
{
  if (!data || size < kBankHeaderSize) return false;
  if (GetBE32(data) != kChunkMagic || GetBE32(data + 12) != kBankVersion ||
      static_cast<int>(GetBE32(data + 16)) != mUniqueID)
    return false;

  WDL_MutexLock lock(&mMutex);
  const uint32_t fxMagic = GetBE32(data + 8);
  const int fileCurrent = static_cast<int>(GetBE32(data + 28));
  if (fxMagic == kFxBankMagic)
  {
    const long long nRecords = GetBE32(data + 24);
    const long long recordSize = kProgramHeaderSize + 4LL * NParams();
    if (size < kBankHeaderSize + nRecords * recordSize) return false;
    const int nApplied = nRecords < NPresets() ? static_cast<int>(nRecords) : NPresets();
    // Every record is checked before any slot changes, so a bad record leaves the bank as it was.
    for (int p = 0; p < nApplied; ++p)
    {
      const unsigned char* record = data + kBankHeaderSize + p * recordSize;
      if (GetBE32(record) != kChunkMagic || GetBE32(record + 8) != kFxProgMagic ||
          static_cast<int>(GetBE32(record + 24)) != NParams())
        return false;
    }
    for (int p = 0; p < nApplied; ++p)
    {
      const unsigned char* record = data + kBankHeaderSize + p * recordSize;
      for (int i = 0; i < NParams(); ++i) GetParam(i)->SetNormalized(GetBEFloat(record + kProgramHeaderSize + 4 * i));
      IPreset* pPreset = mPresets.Get(p);
      char name[FXP_NAME_LEN];
      GetName(record + 28, name);
      pPreset->mInitialized = true;
      pPreset->SetName(name);
      pPreset->mChunk.Clear();
      SerializeState(&pPreset->mChunk);
    }
    if (fileCurrent >= 0 && fileCurrent < NPresets()) mCurrentPresetIdx = fileCurrent;
    RestorePreset(mCurrentPresetIdx);
  }
  else if (fxMagic == kFxBankChunkMagic && mStateChunks)
  {
    if (size < kBankChunkOffset) return false;
    const long long chunkSize = GetBE32(data + kBankHeaderSize);
    if (chunkSize > size - kBankChunkOffset) return false;
    ByteChunk bank, previousBank, previousLive;
    const int pos = CopyState(data, kBankChunkOffset, static_cast<int>(chunkSize), &bank);
    if (pos < 0 || !SerializePresets(&previousBank) || !SerializeState(&previousLive)) return false;
    if (UnserializePresets(&bank, pos) < 0)
    {
      UnserializePresets(&previousBank, 0);
      UnserializeState(&previousLive, 0);
      return false;
    }
  }
  else
  {
    return false;
  }

  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadProgramFromFXP(const WDL_String* pFileName)
{
  if (!pFileName || !pFileName->GetLength()) return false;
  ByteChunk data;
  return ReadFile(pFileName->Get(), &data) && LoadProgramFromFXPData(data.GetBytes(), data.Size());
}

bool IPlugBase::LoadBankFromFXB(const WDL_String* pFileName)
{
  if (!pFileName || !pFileName->GetLength()) return false;
  ByteChunk data;
  return ReadFile(pFileName->Get(), &data) && LoadBankFromFXBData(data.GetBytes(), data.Size());
}
