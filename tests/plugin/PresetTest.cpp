#include "TestPlug.h"
#include "RecordingGraphics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
std::vector<double> ChunkDoubles(const ByteChunk& chunk)
{
  std::vector<double> out(chunk.Size() / sizeof(double));
  memcpy(out.data(), chunk.GetBytes(), out.size() * sizeof(double));
  return out;
}

// A scratch file path removed again at the end of the test.
class TempFile
{
public:
  TempFile()
  {
    char path[] = "/tmp/kestrune_presetXXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    mPath = path;
  }
  ~TempFile() { remove(mPath.c_str()); }
  const char* Path() const { return mPath.c_str(); }
  std::string Contents() const
  {
    std::ifstream in(mPath);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

private:
  std::string mPath;
};

const char kMissingDir[] = "/nonexistent-kestrune-dir/out.txt";
} // namespace

class PresetAccess : public KestruneLikePlug
{
public:
  using KestruneLikePlug::KestruneLikePlug;
  IPreset* Preset(int i) { return mPresets.Get(i); }
};

TEST(PresetSlots, StartUninitialisedAndNamedEmpty)
{
  TestPlug plug(2, "1-1", 2);
  EXPECT_STREQ("empty", plug.GetPresetName(0));
  EXPECT_STREQ("", plug.GetPresetName(2));
  EXPECT_STREQ("", plug.GetPresetName(-1));
}

TEST(MakeDefaultPreset, TheEffectShowsOneProgramDashHoldingTheInitialValues)
{
  PresetAccess plug;
  EXPECT_STREQ("-", plug.GetPresetName(0));
  EXPECT_TRUE(plug.Preset(0)->mInitialized);
  EXPECT_EQ((std::vector<double>{0.5, 0.0, 0.5, 0.0, 0.5, 0.0}), ChunkDoubles(plug.Preset(0)->mChunk));
}

TEST(EnsureDefaultPreset, FillsTheRemainingSlotsWithIdenticalState)
{
  PresetAccess plug(3);
  plug.EnsureDefaultPreset();
  EXPECT_STREQ("Empty", plug.GetPresetName(1));
  EXPECT_STREQ("Empty", plug.GetPresetName(2));
  EXPECT_TRUE(plug.Preset(1)->mChunk.IsEqual(plug.Preset(0)->mChunk));
  EXPECT_TRUE(plug.Preset(2)->mChunk.IsEqual(plug.Preset(0)->mChunk));
  EXPECT_FALSE(plug.MakePresetFromChunk("extra", &plug.Preset(0)->mChunk)) << "no slot left";
}

TEST(MakePreset, ReadsIntsForDiscreteParametersAndDoublesOtherwise)
{
  PresetAccess plug(2);
  // Parameters 1 and 3 were never initialised (type none) and so take doubles.
  ASSERT_TRUE(plug.MakePreset("p", 0.25, 1.0, 0.75, 0.0, 0.125, 1));
  EXPECT_STREQ("p", plug.GetPresetName(1));
  EXPECT_EQ((std::vector<double>{0.25, 1.0, 0.75, 0.0, 0.125, 1.0}), ChunkDoubles(plug.Preset(1)->mChunk));
}

TEST(MakePresetFromNamedParams, UnnamedParametersKeepTheirCurrentValues)
{
  PresetAccess plug(2);
  plug.GetParam(3)->Set(1.0);
  ASSERT_TRUE(plug.MakePresetFromNamedParams("x", 2, 2, 0.75, 5, 1));
  EXPECT_EQ((std::vector<double>{0.5, 0.0, 0.75, 1.0, 0.5, 1.0}), ChunkDoubles(plug.Preset(1)->mChunk));
}

TEST(MakePresetFromNamedParams, StopsAtAnIndexWithoutParameter)
{
  PresetAccess plug(2);
  ASSERT_TRUE(plug.MakePresetFromNamedParams("x", 2, 9, 0.75, 0, 0.1));
  EXPECT_EQ((std::vector<double>{0.5, 0.0, 0.5, 0.0, 0.5, 0.0}), ChunkDoubles(plug.Preset(1)->mChunk));
}

TEST(MakePresetFromBlob, DecodesIntoAZeroFilledBufferOfTheGivenSize)
{
  PresetAccess plug(3);
  ASSERT_TRUE(plug.MakePresetFromBlob("b16", "AAAAAAAAAAAAAAAAAADwPw==", 16));
  ASSERT_TRUE(plug.MakePresetFromBlob("b24", "AAAAAAAAAAAAAAAAAADwPw==", 24));
  const std::vector<uint8_t> one = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  std::vector<uint8_t> expected16(8, 0);
  expected16.insert(expected16.end(), one.begin(), one.end());
  std::vector<uint8_t> expected24 = expected16;
  expected24.resize(24, 0);
  const ByteChunk& c16 = plug.Preset(1)->mChunk;
  const ByteChunk& c24 = plug.Preset(2)->mChunk;
  EXPECT_EQ(expected16, std::vector<uint8_t>(c16.GetBytes(), c16.GetBytes() + c16.Size()));
  EXPECT_EQ(expected24, std::vector<uint8_t>(c24.GetBytes(), c24.GetBytes() + c24.Size()));
}

TEST(MakePresetFromBlob, StopsAtTheFirstCharacterOutsideTheAlphabetOrWhenFull)
{
  PresetAccess plug(3);
  ASSERT_TRUE(plug.MakePresetFromBlob("a", "////*////", 4));
  ASSERT_TRUE(plug.MakePresetFromBlob("b", "////////", 2));
  const ByteChunk& a = plug.Preset(1)->mChunk;
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0}), std::vector<uint8_t>(a.GetBytes(), a.GetBytes() + 4));
  const ByteChunk& b = plug.Preset(2)->mChunk;
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF}), std::vector<uint8_t>(b.GetBytes(), b.GetBytes() + b.Size()));
}

TEST(RestorePreset, UninitialisedSlotBecomesTheNextUserPreset)
{
  PresetAccess plug(4);
  plug.Preset(1)->SetName("user preset 1");
  plug.Preset(2)->SetName("my user preset 2");
  plug.GetParam(0)->Set(0.3);
  ASSERT_TRUE(plug.RestorePreset(3));
  EXPECT_STREQ("user preset 3", plug.GetPresetName(3));
  EXPECT_EQ(3, plug.GetCurrentPresetIdx());
  EXPECT_EQ((std::vector<double>{0.3, 0.0, 0.5, 0.0, 0.5, 0.0}), ChunkDoubles(plug.Preset(3)->mChunk));
}

TEST(RestorePreset, LoadsTheSlotAndRedrawsTheEditor)
{
  PresetAccess plug(2);
  auto* pGraphics = new RecordingGraphics(&plug);
  plug.AttachGraphics(pGraphics);
  pGraphics->pushes.clear();
  plug.GetParam(0)->Set(0.9);
  plug.presetsChanged = 0;
  ASSERT_TRUE(plug.RestorePreset("-"));
  EXPECT_EQ(0.5, plug.GetParam(0)->Value());
  EXPECT_EQ(0, plug.GetCurrentPresetIdx());
  EXPECT_EQ(1, plug.presetsChanged);
  ASSERT_EQ(6u, pGraphics->pushes.size());
  EXPECT_EQ(0.5, pGraphics->pushes[0].value);
  EXPECT_FALSE(pGraphics->pushes[0].normalized);
}

TEST(RestorePreset, RejectsBadIndicesNamesAndUnreadableState)
{
  PresetAccess plug(2);
  EXPECT_FALSE(plug.RestorePreset(2));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(plug.RestorePreset("nope"));
  plug.Preset(0)->mChunk.Resize(4);
  EXPECT_FALSE(plug.RestorePreset(0));
}

TEST(ModifyCurrentPreset, StoresLiveValuesAndRenamesOnlyWithAName)
{
  PresetAccess plug;
  plug.GetParam(0)->Set(0.7);
  plug.ModifyCurrentPreset(nullptr);
  EXPECT_STREQ("-", plug.GetPresetName(0));
  EXPECT_EQ(0.7, ChunkDoubles(plug.Preset(0)->mChunk)[0]);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ("-", plug.GetPresetName(0));
  plug.ModifyCurrentPreset("Warm");
  EXPECT_STREQ("Warm", plug.GetPresetName(0));
  EXPECT_EQ(6u, ChunkDoubles(plug.Preset(0)->mChunk).size());
}

TEST(PresetNames, OverlongNamesAreCutToTheField)
{
  PresetAccess plug(2);
  const std::string longName(400, 'n');
  plug.MakeDefaultPreset(longName.c_str(), 1);
  EXPECT_EQ(std::string(MAX_PRESET_NAME_LEN - 1, 'n'), plug.GetPresetName(1));
}

TEST(PruneUninitializedPresets, KeepsOrderAndTheCurrentSlot)
{
  PresetAccess plug(4);
  plug.MakeDefaultPreset("b", 1);
  plug.Preset(3)->mInitialized = true;
  plug.Preset(3)->SetName("d");
  plug.Preset(3)->mChunk.PutChunk(&plug.Preset(0)->mChunk);
  ASSERT_TRUE(plug.RestorePreset(3));
  plug.Preset(2)->mInitialized = false;
  plug.PruneUninitializedPresets();
  ASSERT_EQ(3, plug.NPresets());
  EXPECT_STREQ("-", plug.GetPresetName(0));
  EXPECT_STREQ("b", plug.GetPresetName(1));
  EXPECT_STREQ("d", plug.GetPresetName(2));
  EXPECT_EQ(2, plug.GetCurrentPresetIdx());
}

TEST(DumpAids, UnopenableFileIsReportedNotWrittenThrough)
{
  PresetAccess plug;
  const char* names[] = {"kOut", "kSel", "kHi", "kP3", "kLo", "kBypass"};
  EXPECT_FALSE(plug.DumpPresetSrcCode(kMissingDir, names));
  EXPECT_FALSE(plug.DumpPresetBlob(kMissingDir));
  EXPECT_FALSE(plug.DumpBankBlob(kMissingDir));
}

TEST(DumpAids, AFullDiskIsReported)
{
  PresetAccess plug;
  const char* names[] = {"kOut", "kSel", "kHi", "kP3", "kLo", "kBypass"};
  EXPECT_FALSE(plug.DumpPresetSrcCode("/dev/full", names));
  EXPECT_FALSE(plug.DumpPresetBlob("/dev/full"));
  EXPECT_FALSE(plug.DumpBankBlob("/dev/full"));
}

TEST(DumpAids, SourceCodeListsEveryParameterByType)
{
  TestPlug plug(3, "1-1", 1);
  plug.GetParam(0)->InitBool("b", true);
  plug.GetParam(1)->InitEnum("e", 2, 4);
  plug.GetParam(2)->InitDouble("d", 0.25, 0.0, 1.0, 0.01);
  plug.MakeDefaultPreset("Init", 1);
  const char* names[] = {"kB", "kE", "kD"};
  TempFile file;
  ASSERT_TRUE(plug.DumpPresetSrcCode(file.Path(), names));
  EXPECT_EQ("  MakePresetFromNamedParams(\"Init\", 3,\n    kB, true,\n    kE, 2,\n    kD, 0.250000);\n",
            file.Contents());
}

TEST(DumpAids, PresetBlobPadsOnlyPartialGroups)
{
  PresetAccess plug(2);
  // Reference encodings of the doubles 0.5, 0, 0.5, 0, 0.5, 0 (and one more byte 01), computed with
  // an independent base64 encoder.
  const std::string blob48 = "AAAAAAAA4D8AAAAAAAAAAAAAAAAAAOA/AAAAAAAAAAAAAAAAAADgPwAAAAAAAAAA";
  const std::string blob49 = "AAAAAAAA4D8AAAAAAAAAAAAAAAAAAOA/AAAAAAAAAAAAAAAAAADgPwAAAAAAAAAAAQ==";
  TempFile file48;
  ASSERT_TRUE(plug.DumpPresetBlob(file48.Path()));
  EXPECT_EQ("MakePresetFromBlob(\"-\", \"" + blob48 + "\", 48);\n", file48.Contents());

  plug.Preset(0)->mChunk.PutBool(true);
  TempFile file49;
  ASSERT_TRUE(plug.DumpPresetBlob(file49.Path()));
  EXPECT_EQ("MakePresetFromBlob(\"-\", \"" + blob49 + "\", 49);\n", file49.Contents());
}

TEST(DumpAids, ChunksBeyondTheOldFixedBufferStillEncode)
{
  PresetAccess plug(2);
  std::vector<uint8_t> big(3000, 0xAB);
  plug.Preset(0)->mChunk.PutBytes(big.data(), static_cast<int>(big.size()));
  TempFile file;
  ASSERT_TRUE(plug.DumpPresetBlob(file.Path()));
  EXPECT_NE(std::string::npos, file.Contents().find("\", 3048);\n"));
  EXPECT_EQ(4 * 1016 + std::string("MakePresetFromBlob(\"-\", \"\", 3048);\n").size(), file.Contents().size());
}

TEST(DumpAids, BankBlobWritesOneLinePerSlotAndRoundTrips)
{
  PresetAccess plug(2);
  plug.GetParam(0)->Set(0.125);
  plug.MakeDefaultPreset("two", 1);
  TempFile file;
  ASSERT_TRUE(plug.DumpBankBlob(file.Path()));
  std::istringstream lines(file.Contents());
  std::string line;
  std::vector<std::string> all;
  while (std::getline(lines, line)) all.push_back(line);
  ASSERT_EQ(2u, all.size());
  EXPECT_EQ(0u, all[1].find("MakePresetFromBlob(\"two\", \""));

  // Pasting the second line back recreates the preset.
  const size_t open = all[1].find("\", \"") + 4;
  const std::string blob = all[1].substr(open, all[1].find('"', open) - open);
  PresetAccess copy(2);
  ASSERT_TRUE(copy.MakePresetFromBlob("two", blob.c_str(), 48));
  EXPECT_TRUE(copy.Preset(1)->mChunk.IsEqual(plug.Preset(1)->mChunk));
}

TEST(MakeDefaultUserPresetName, CountsNamesContainingUserPreset)
{
  WDL_PtrList<IPreset> presets;
  char buf[MAX_PRESET_NAME_LEN];
  MakeDefaultUserPresetName(&presets, buf);
  EXPECT_STREQ("user preset 1", buf);
  presets.Add(new IPreset)->SetName("user preset 7");
  presets.Add(new IPreset)->SetName("User Preset");
  MakeDefaultUserPresetName(&presets, buf);
  EXPECT_STREQ("user preset 2", buf);
  presets.Empty(true);
}
