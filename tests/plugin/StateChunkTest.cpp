#include "TestPlug.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
std::vector<uint8_t> Bytes(const ByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

void AppendDoubleBytes(std::vector<uint8_t>* pOut, const uint8_t (&le)[8])
{
  pOut->insert(pOut->end(), le, le + 8);
}

const uint8_t kHalfLE[8] = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F}; // 0.5
const uint8_t kZeroLE[8] = {0, 0, 0, 0, 0, 0, 0, 0};

// The initial Kestrune values 0.5, 0, 0.5, 0, 0.5, 0 as little-endian doubles.
std::vector<uint8_t> InitialValueBytes()
{
  std::vector<uint8_t> out;
  for (int i = 0; i < 6; ++i) AppendDoubleBytes(&out, i % 2 == 0 ? kHalfLE : kZeroLE);
  return out;
}

void PutDoubles(ByteChunk* pChunk, std::initializer_list<double> values)
{
  for (double v : values) pChunk->Put(&v);
}
} // namespace

TEST(SerializeParams, ProgramChunkIsHeaderAndSixDoubles)
{
  KestruneLikePlug plug;
  ByteChunk chunk;
  ASSERT_TRUE(InitChunkWithIPlugVer(&chunk));
  ASSERT_TRUE(plug.SerializeState(&chunk));
  std::vector<uint8_t> expected = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  const std::vector<uint8_t> values = InitialValueBytes();
  expected.insert(expected.end(), values.begin(), values.end());
  EXPECT_EQ(56u, expected.size());
  EXPECT_EQ(expected, Bytes(chunk));
}

TEST(SerializeParams, NoParametersIsASuccess)
{
  TestPlug plug(0, "2-2", 0);
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(0, chunk.Size());
}

TEST(UnserializeParams, RestoresEveryParameterLimitedToItsRange)
{
  KestruneLikePlug plug;
  ByteChunk chunk;
  InitChunkWithIPlugVer(&chunk);
  PutDoubles(&chunk, {2.0, 1.0, 0.25, 0.0, -3.0, 1.0});
  int pos = 0;
  ASSERT_EQ(0x10000, GetIPlugVerFromChunk(&chunk, &pos));
  plug.paramChanges.clear();
  EXPECT_EQ(56, plug.UnserializeState(&chunk, pos));
  const double expected[] = {1.0, 1.0, 0.25, 0.0, 0.0, 1.0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], plug.GetParam(i)->Value()) << i;
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), plug.paramChanges);
}

TEST(UnserializeParams, HeaderlessChunkReadsFromTheStart)
{
  KestruneLikePlug plug;
  ByteChunk chunk;
  PutDoubles(&chunk, {0.1, 1.0, 0.2, 1.0, 0.3, 1.0});
  int pos = 0;
  EXPECT_EQ(0, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(48, plug.UnserializeParams(&chunk, pos));
  EXPECT_EQ(0.1, plug.GetParam(0)->Value());
  EXPECT_EQ(0.3, plug.GetParam(4)->Value());
  EXPECT_EQ(1.0, plug.GetParam(5)->Value());
}

TEST(UnserializeParams, ShortChunkZeroesTheCutParameterAndKeepsTheRest)
{
  KestruneLikePlug plug;
  plug.GetParam(3)->Set(1.0);
  plug.GetParam(5)->Set(1.0);
  ByteChunk chunk;
  InitChunkWithIPlugVer(&chunk);
  PutDoubles(&chunk, {0.75, 1.0});
  chunk.PutBytes("abcd", 4); // 20 bytes after the header
  plug.paramChanges.clear();
  EXPECT_EQ(-1, plug.UnserializeParams(&chunk, 8));
  EXPECT_EQ(0.75, plug.GetParam(0)->Value());
  EXPECT_EQ(1.0, plug.GetParam(1)->Value());
  EXPECT_EQ(0.0, plug.GetParam(2)->Value());
  EXPECT_EQ(1.0, plug.GetParam(3)->Value());
  EXPECT_EQ(0.5, plug.GetParam(4)->Value());
  EXPECT_EQ(1.0, plug.GetParam(5)->Value());
  EXPECT_EQ(6u, plug.paramChanges.size());
}

TEST(UnserializeParams, NegativeStartReadsNothingButAnnouncesEveryParameter)
{
  KestruneLikePlug plug;
  ByteChunk chunk;
  PutDoubles(&chunk, {0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
  plug.paramChanges.clear();
  EXPECT_EQ(-1, plug.UnserializeParams(&chunk, -1));
  EXPECT_EQ(0.5, plug.GetParam(0)->Value());
  EXPECT_EQ(6u, plug.paramChanges.size());
}

TEST(SerializePresets, BankChunkOfOneEmptyPresetIs66Bytes)
{
  TestPlug plug(6, "1-1 2-2", 1);
  plug.GetParam(0)->Set(0.5);
  plug.EnsureDefaultPreset();
  ByteChunk chunk;
  InitChunkWithIPlugVer(&chunk);
  ASSERT_TRUE(plug.SerializePresets(&chunk));
  std::vector<uint8_t> expected = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00, 5, 0, 0, 0, 'E', 'm', 'p', 't', 'y', 1};
  AppendDoubleBytes(&expected, kHalfLE);
  for (int i = 1; i < 6; ++i) AppendDoubleBytes(&expected, kZeroLE);
  EXPECT_EQ(66u, expected.size());
  EXPECT_EQ(expected, Bytes(chunk));
}

TEST(SerializePresets, UninitialisedRecordCarriesNoState)
{
  TestPlug plug(2, "1-1", 2);
  plug.MakeDefaultPreset("a", 1);
  ByteChunk chunk;
  ASSERT_TRUE(plug.SerializePresets(&chunk));
  const std::vector<uint8_t> second = {5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0};
  ASSERT_EQ(4u + 1 + 1 + 16 + second.size(), static_cast<size_t>(chunk.Size()));
  EXPECT_EQ(second, std::vector<uint8_t>(chunk.GetBytes() + 22, chunk.GetBytes() + chunk.Size()));
}

TEST(UnserializePresets, RoundTripRestoresNamesStatesAndTheCurrentPreset)
{
  KestruneLikePlug source(3);
  source.GetParam(0)->Set(0.9);
  source.MakeDefaultPreset("second", 1);
  ByteChunk bank;
  InitChunkWithIPlugVer(&bank);
  ASSERT_TRUE(source.SerializePresets(&bank));

  KestruneLikePlug target(3);
  target.GetParam(0)->Set(0.1);
  int pos = 0;
  ASSERT_EQ(0x10000, GetIPlugVerFromChunk(&bank, &pos));
  EXPECT_EQ(bank.Size(), target.UnserializePresets(&bank, pos));
  EXPECT_STREQ("-", target.GetPresetName(0));
  EXPECT_STREQ("second", target.GetPresetName(1));
  EXPECT_STREQ("empty", target.GetPresetName(2));
  EXPECT_EQ(0.5, target.GetParam(0)->Value()) << "live values return to the current preset 0";
  ASSERT_TRUE(target.RestorePreset(1));
  EXPECT_EQ(0.9, target.GetParam(0)->Value());

  ByteChunk again;
  InitChunkWithIPlugVer(&again);
  target.SerializePresets(&again);
  EXPECT_TRUE(bank.IsEqual(again));
}

TEST(UnserializePresets, CutNameDoesNotRenameTheSlot)
{
  KestruneLikePlug plug(2);
  ByteChunk bank;
  bank.PutStr("first");
  bank.PutBool(true);
  PutDoubles(&bank, {0.25, 0.0, 0.5, 0.0, 0.5, 0.0});
  const int len = 50;
  bank.Put(&len);
  bank.PutBytes("sec", 3);
  EXPECT_EQ(-1, plug.UnserializePresets(&bank, 0));
  EXPECT_STREQ("first", plug.GetPresetName(0));
  EXPECT_STREQ("empty", plug.GetPresetName(1));
  EXPECT_EQ(0.25, plug.GetParam(0)->Value());
}

TEST(UnserializePresets, NegativeStartOnlyRestoresTheCurrentPreset)
{
  KestruneLikePlug plug;
  plug.GetParam(0)->Set(0.8);
  ByteChunk bank;
  EXPECT_EQ(-1, plug.UnserializePresets(&bank, -1));
  EXPECT_EQ(0.5, plug.GetParam(0)->Value());
}

TEST(CompareState, ComparesInSinglePrecision)
{
  KestruneLikePlug plug;
  plug.GetParam(0)->Set(0.1000001);
  std::vector<double> stored = {99.0, 0.1, 0.0, 0.5, 0.0, 0.5, 0.0};
  const unsigned char* data = reinterpret_cast<const unsigned char*>(stored.data());
  EXPECT_TRUE(plug.CompareState(data, 1));
  stored[3] = 0.5001;
  EXPECT_FALSE(plug.CompareState(data, 1));
  TestPlug empty(0, "1-1", 0);
  EXPECT_TRUE(empty.CompareState(data, 0));
}
