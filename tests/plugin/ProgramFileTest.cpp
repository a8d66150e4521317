#include "TestPlug.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const ByteChunk& chunk)
{
  return Bytes(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

void Append(Bytes* pOut, const Bytes& more)
{
  pOut->insert(pOut->end(), more.begin(), more.end());
}

// The 80-byte program file of the Kestrune layout at its initial values, written out by hand:
// normalised values 0.5, 0, sqrt(0.5), 0, sqrt(0.5), 0 as big-endian floats.
Bytes ExpectedProgram()
{
  Bytes b = {'C', 'c', 'n', 'K', 0, 0, 0, 0, 'F', 'x', 'C', 'k', 0, 0, 0, 1, 'K', 's', 't', '1',
             0, 0, 0x27, 0x10, 0, 0, 0, 6, '-'};
  b.resize(56, 0);
  Append(&b, {0x3F, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0x3F, 0x35, 0x04, 0xF3, 0, 0, 0, 0, 0x3F, 0x35, 0x04, 0xF3, 0, 0, 0, 0});
  return b;
}

Bytes ExpectedBank()
{
  Bytes b = {'C', 'c', 'n', 'K', 0, 0, 0, 0, 'F', 'x', 'B', 'k', 0, 0, 0, 2, 'K', 's', 't', '1',
             0, 0, 0x27, 0x10, 0, 0, 0, 1, 0, 0, 0, 0};
  b.resize(156, 0);
  Append(&b, ExpectedProgram());
  return b;
}

class TempPath
{
public:
  TempPath()
  {
    char path[] = "/tmp/kestrune_fxXXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    mPath.Set(path);
  }
  ~TempPath() { remove(mPath.Get()); }
  const WDL_String* Name() const { return &mPath; }
  Bytes Read() const
  {
    Bytes out;
    FILE* fp = fopen(mPath.Get(), "rb");
    if (!fp) return out;
    int c;
    while ((c = fgetc(fp)) != EOF) out.push_back(static_cast<uint8_t>(c));
    fclose(fp);
    return out;
  }
  void Write(const Bytes& data) const
  {
    FILE* fp = fopen(mPath.Get(), "wb");
    fwrite(data.data(), 1, data.size(), fp);
    fclose(fp);
  }

private:
  WDL_String mPath;
};

std::vector<double> Values(const IPlugBase& plug)
{
  std::vector<double> out;
  for (int i = 0; i < plug.NParams(); ++i) out.push_back(plug.GetParam(i)->Value());
  return out;
}

void SetBE32(Bytes* pData, size_t offset, uint32_t v)
{
  (*pData)[offset] = static_cast<uint8_t>(v >> 24);
  (*pData)[offset + 1] = static_cast<uint8_t>(v >> 16);
  (*pData)[offset + 2] = static_cast<uint8_t>(v >> 8);
  (*pData)[offset + 3] = static_cast<uint8_t>(v);
}
} // namespace

TEST(SaveProgramAsFXP, WritesThe80ByteParameterForm)
{
  KestruneLikePlug plug;
  TempPath path;
  ASSERT_TRUE(plug.SaveProgramAsFXP(path.Name()));
  EXPECT_EQ(ExpectedProgram(), path.Read());
}

TEST(SaveBankAsFXB, WritesThe236ByteParameterForm)
{
  KestruneLikePlug plug;
  TempPath path;
  ASSERT_TRUE(plug.SaveBankAsFXB(path.Name()));
  const Bytes expected = ExpectedBank();
  EXPECT_EQ(236u, expected.size());
  EXPECT_EQ(expected, path.Read());
}

TEST(SaveProgramAsFXP, EmptyOrUnwritableNamesFail)
{
  KestruneLikePlug plug;
  WDL_String empty;
  EXPECT_FALSE(plug.SaveProgramAsFXP(&empty));
  EXPECT_FALSE(plug.SaveBankAsFXB(&empty));
  WDL_String bad("/nonexistent-kestrune-dir/x.fxp");
  EXPECT_FALSE(plug.SaveProgramAsFXP(&bad));
  EXPECT_FALSE(plug.LoadProgramFromFXP(&bad));
  EXPECT_FALSE(plug.LoadBankFromFXB(&empty));
}

TEST(SaveProgramAsFXP, AFullDiskFails)
{
  KestruneLikePlug plug;
  WDL_String full("/dev/full");
  EXPECT_FALSE(plug.SaveProgramAsFXP(&full));
  EXPECT_FALSE(plug.SaveBankAsFXB(&full));
}

TEST(ProgramFileNames, LongNamesAreCutTo27Characters)
{
  KestruneLikePlug plug;
  plug.ModifyCurrentPreset("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  ByteChunk fxp;
  ASSERT_TRUE(plug.MakeProgramFXP(&fxp));
  ASSERT_EQ(80, fxp.Size());
  EXPECT_EQ(std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0"), std::string(reinterpret_cast<char*>(fxp.GetBytes() + 28)));
  EXPECT_EQ(0, fxp.GetBytes()[55]);
}

TEST(LoadProgramFromFXP, RoundTripRestoresValuesAndSavesIdenticalBytes)
{
  KestruneLikePlug source;
  source.GetParam(0)->Set(0.25);
  source.GetParam(1)->Set(1.0);
  source.GetParam(2)->Set(0.64);
  source.GetParam(5)->Set(1.0);
  TempPath path;
  ASSERT_TRUE(source.SaveProgramAsFXP(path.Name()));

  KestruneLikePlug target;
  target.paramChanges.clear();
  ASSERT_TRUE(target.LoadProgramFromFXP(path.Name()));
  const std::vector<double> expected = {0.25, 1.0, 0.64, 0.0, 0.5, 1.0};
  const std::vector<double> got = Values(target);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(expected[i], got[i], 1e-6) << i;
  EXPECT_EQ(1, target.programChanges);
  EXPECT_FALSE(target.paramChanges.empty());

  TempPath again;
  ASSERT_TRUE(target.SaveProgramAsFXP(again.Name()));
  EXPECT_EQ(path.Read(), again.Read());
}

TEST(LoadProgramFromFXP, StoresTheLoadedValuesInTheCurrentPreset)
{
  KestruneLikePlug source;
  source.GetParam(0)->Set(0.75);
  ByteChunk fxp;
  source.MakeProgramFXP(&fxp);
  KestruneLikePlug target;
  ASSERT_TRUE(target.LoadProgramFromFXPData(fxp.GetBytes(), fxp.Size()));
  target.GetParam(0)->Set(0.0);
  ASSERT_TRUE(target.RestorePreset(0));
  EXPECT_FLOAT_EQ(0.75f, static_cast<float>(target.GetParam(0)->Value()));
}

TEST(LoadProgramFromFXP, RejectsBadFramingWithoutChangingAnything)
{
  KestruneLikePlug source;
  source.GetParam(0)->Set(0.9);
  ByteChunk fxp;
  source.MakeProgramFXP(&fxp);
  const Bytes good = ToBytes(fxp);

  struct Case
  {
    const char* what;
    size_t offset;
    uint32_t value;
  } cases[] = {{"chunk magic", 0, 0x43636E4C},
               {"format version 2", 12, 2},
               {"plug-in ID", 16, 0x4B737432},
               {"form magic", 8, 0x46784378},
               {"chunk form without state chunks", 8, 0x46504368},
               {"more parameters than the data holds", 24, 7}};
  for (const Case& c : cases)
  {
    Bytes bad = good;
    SetBE32(&bad, c.offset, c.value);
    KestruneLikePlug target;
    EXPECT_FALSE(target.LoadProgramFromFXPData(bad.data(), static_cast<int>(bad.size()))) << c.what;
    EXPECT_EQ(0.5, target.GetParam(0)->Value()) << c.what;
    EXPECT_EQ(0, target.programChanges) << c.what;
  }
  for (size_t cut = 0; cut < good.size(); cut += 7)
  {
    KestruneLikePlug target;
    EXPECT_FALSE(target.LoadProgramFromFXPData(good.data(), static_cast<int>(cut))) << cut;
    EXPECT_EQ(0.5, target.GetParam(0)->Value()) << cut;
  }
  KestruneLikePlug target;
  EXPECT_FALSE(target.LoadProgramFromFXPData(nullptr, 80));
}

TEST(LoadProgramFromFXP, ChunkFormRoundTripsThroughTheState)
{
  KestruneLikePlug source(1, true);
  source.GetParam(0)->Set(0.3);
  source.GetParam(3)->Set(1.0);
  ByteChunk fxp;
  ASSERT_TRUE(source.MakeProgramFXP(&fxp));
  ASSERT_EQ(60 + 56, fxp.Size());
  const Bytes head = {'C', 'c', 'n', 'K', 0, 0, 0, 116, 'F', 'P', 'C', 'h', 0, 0, 0, 1};
  EXPECT_EQ(head, Bytes(fxp.GetBytes(), fxp.GetBytes() + 16));
  EXPECT_EQ((Bytes{0, 0, 0, 56, 0x74, 0x66, 0x66, 0x70}), Bytes(fxp.GetBytes() + 56, fxp.GetBytes() + 64));

  KestruneLikePlug target(1, true);
  ASSERT_TRUE(target.LoadProgramFromFXPData(fxp.GetBytes(), fxp.Size()));
  EXPECT_EQ(0.3, target.GetParam(0)->Value());
  EXPECT_EQ(1.0, target.GetParam(3)->Value());
}

TEST(LoadProgramFromFXP, ChunkFormWithShortStateChangesNothing)
{
  KestruneLikePlug source(1, true);
  source.GetParam(0)->Set(0.3);
  ByteChunk fxp;
  source.MakeProgramFXP(&fxp);
  Bytes bad = ToBytes(fxp);
  bad.resize(bad.size() - 20);
  SetBE32(&bad, 56, 36);
  KestruneLikePlug target(1, true);
  target.GetParam(2)->Set(0.9);
  EXPECT_FALSE(target.LoadProgramFromFXPData(bad.data(), static_cast<int>(bad.size())));
  EXPECT_EQ(0.5, target.GetParam(0)->Value());
  EXPECT_EQ(0.9, target.GetParam(2)->Value());

  SetBE32(&bad, 56, 1000);
  EXPECT_FALSE(target.LoadProgramFromFXPData(bad.data(), static_cast<int>(bad.size()))) << "size field past the end";
}

TEST(LoadBankFromFXB, RoundTripRestoresEverySlot)
{
  KestruneLikePlug source(2);
  source.GetParam(0)->Set(0.2);
  source.MakeDefaultPreset("two", 1);
  ASSERT_TRUE(source.RestorePreset(1));
  TempPath path;
  ASSERT_TRUE(source.SaveBankAsFXB(path.Name()));

  KestruneLikePlug target(2);
  ASSERT_TRUE(target.LoadBankFromFXB(path.Name()));
  EXPECT_STREQ("-", target.GetPresetName(0));
  EXPECT_STREQ("two", target.GetPresetName(1));
  EXPECT_EQ(1, target.GetCurrentPresetIdx());
  EXPECT_NEAR(0.2, target.GetParam(0)->Value(), 1e-7);
  EXPECT_EQ(1, target.programChanges);

  TempPath again;
  ASSERT_TRUE(target.SaveBankAsFXB(again.Name()));
  EXPECT_EQ(path.Read(), again.Read());
}

TEST(LoadBankFromFXB, RejectsBadFramingOrRecordsWithoutChangingAnything)
{
  KestruneLikePlug source(2);
  source.GetParam(0)->Set(0.2);
  source.MakeDefaultPreset("two", 1);
  ByteChunk fxb;
  source.MakeBankFXB(&fxb);
  const Bytes good = ToBytes(fxb);
  ASSERT_EQ(156u + 2 * 80, good.size());

  struct Case
  {
    const char* what;
    size_t offset;
    uint32_t value;
  } cases[] = {{"chunk magic", 0, 0},
               {"format version 1", 12, 1},
               {"plug-in ID", 16, 0},
               {"form magic", 8, 0x46424368},
               {"program count past the data", 24, 3},
               {"second record's parameter count", 156 + 80 + 24, 5},
               {"second record's magic", 156 + 80, 0}};
  for (const Case& c : cases)
  {
    Bytes bad = good;
    SetBE32(&bad, c.offset, c.value);
    KestruneLikePlug target(2);
    EXPECT_FALSE(target.LoadBankFromFXBData(bad.data(), static_cast<int>(bad.size()))) << c.what;
    EXPECT_STREQ("empty", target.GetPresetName(1)) << c.what;
    EXPECT_EQ(0.5, target.GetParam(0)->Value()) << c.what;
  }
  KestruneLikePlug target(2);
  EXPECT_FALSE(target.LoadBankFromFXBData(good.data(), static_cast<int>(good.size() - 1)));
  EXPECT_STREQ("empty", target.GetPresetName(1));
}

TEST(LoadBankFromFXB, ChunkFormRoundTripsNamesAndStates)
{
  KestruneLikePlug source(2, true);
  source.GetParam(4)->Set(0.125);
  source.MakeDefaultPreset("two", 1);
  ByteChunk fxb;
  ASSERT_TRUE(source.MakeBankFXB(&fxb));
  ASSERT_EQ(0x46, fxb.GetBytes()[8]);
  ASSERT_EQ(0x42, fxb.GetBytes()[9]);

  KestruneLikePlug target(2, true);
  ASSERT_TRUE(target.LoadBankFromFXBData(fxb.GetBytes(), fxb.Size()));
  EXPECT_STREQ("two", target.GetPresetName(1));
  ASSERT_TRUE(target.RestorePreset(1));
  EXPECT_EQ(0.125, target.GetParam(4)->Value());

  Bytes cut = ToBytes(fxb);
  cut.resize(cut.size() - 30);
  SetBE32(&cut, 156, static_cast<uint32_t>(cut.size() - 160));
  KestruneLikePlug untouched(2, true);
  EXPECT_FALSE(untouched.LoadBankFromFXBData(cut.data(), static_cast<int>(cut.size())));
  EXPECT_STREQ("empty", untouched.GetPresetName(1));
  EXPECT_EQ(0.5, untouched.GetParam(4)->Value());
}
