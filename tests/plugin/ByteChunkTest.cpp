#include "plugin/ByteChunk.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<uint8_t> Bytes(const ByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}
} // namespace

TEST(ByteChunkPutGet, ValuesRoundTripInNativeOrder)
{
  ByteChunk chunk;
  const int i = 0x01020304;
  const double d = 1.0;
  EXPECT_EQ(4, chunk.Put(&i));
  EXPECT_EQ(12, chunk.Put(&d));
  EXPECT_EQ(13, chunk.PutBool(true));
  EXPECT_EQ((std::vector<uint8_t>{4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1}), Bytes(chunk));

  int i2 = 0;
  double d2 = 0.0;
  uint8_t b = 0;
  EXPECT_EQ(4, chunk.Get(&i2, 0));
  EXPECT_EQ(12, chunk.Get(&d2, 4));
  EXPECT_EQ(13, chunk.Get(&b, 12));
  EXPECT_EQ(i, i2);
  EXPECT_EQ(d, d2);
  EXPECT_EQ(1, b);
}

TEST(ByteChunkPutGet, ShortOrNegativeReadsFailWithoutWriting)
{
  ByteChunk chunk;
  const int i = 7;
  chunk.Put(&i);
  double d = 5.0;
  EXPECT_EQ(-1, chunk.Get(&d, 0));
  EXPECT_EQ(5.0, d);
  int j = 9;
  EXPECT_EQ(-1, chunk.Get(&j, 1));
  EXPECT_EQ(-1, chunk.Get(&j, -1));
  EXPECT_EQ(-1, chunk.Get(&j, 0x7ffffffe));
  EXPECT_EQ(9, j);
}

TEST(ByteChunkStrings, LengthPrefixWithoutTerminator)
{
  ByteChunk chunk;
  EXPECT_EQ(9, chunk.PutStr("Empty"));
  EXPECT_EQ((std::vector<uint8_t>{5, 0, 0, 0, 'E', 'm', 'p', 't', 'y'}), Bytes(chunk));
  WDL_String s;
  EXPECT_EQ(9, chunk.GetStr(&s, 0));
  EXPECT_STREQ("Empty", s.Get());
}

TEST(ByteChunkStrings, StopsAtAnEmbeddedZeroAndAcceptsEmpty)
{
  ByteChunk chunk;
  const int len = 4;
  chunk.Put(&len);
  chunk.PutBytes("ab\0c", 4);
  chunk.PutStr("");
  WDL_String s("old");
  EXPECT_EQ(8, chunk.GetStr(&s, 0));
  EXPECT_STREQ("ab", s.Get());
  EXPECT_EQ(12, chunk.GetStr(&s, 8));
  EXPECT_STREQ("", s.Get());
}

TEST(ByteChunkStrings, TruncatedStringReportsItsEndAndLeavesTheTarget)
{
  ByteChunk chunk;
  const int len = 10;
  chunk.Put(&len);
  chunk.PutBytes("abc", 3);
  WDL_String s("old");
  EXPECT_EQ(14, chunk.GetStr(&s, 0));
  EXPECT_STREQ("old", s.Get());
  EXPECT_EQ(-1, chunk.GetStr(&s, 5)) << "no room for the length";
}

TEST(ByteChunkStrings, NegativeLengthIsAFailedRead)
{
  ByteChunk chunk;
  const int len = -8;
  chunk.Put(&len);
  chunk.PutBytes("abcdefgh", 8);
  WDL_String s("old");
  EXPECT_EQ(-1, chunk.GetStr(&s, 0));
  EXPECT_STREQ("old", s.Get());
}

TEST(ByteChunkOps, PutChunkResizeClearAndCompare)
{
  ByteChunk a, b;
  a.PutStr("xy");
  EXPECT_EQ(6, b.PutChunk(&a));
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_EQ(10, b.Resize(10));
  EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0, 'x', 'y', 0, 0, 0, 0}), Bytes(b));
  EXPECT_FALSE(a.IsEqual(b));
  EXPECT_EQ(3, b.Resize(3));
  b.Clear();
  EXPECT_EQ(0, b.Size());
}

TEST(ByteChunkVersionHeader, InitWritesMagicThenVersion)
{
  ByteChunk chunk;
  chunk.PutStr("junk");
  ASSERT_TRUE(InitChunkWithIPlugVer(&chunk));
  EXPECT_EQ((std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}), Bytes(chunk));
  int pos = 0;
  EXPECT_EQ(0x10000, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(8, pos);
}

TEST(ByteChunkVersionHeader, MissingMagicReadsAsVersionZeroInPlace)
{
  ByteChunk chunk;
  const double d = 0.5;
  chunk.Put(&d);
  int pos = 0;
  EXPECT_EQ(0, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(0, pos);
  pos = -3;
  EXPECT_EQ(0, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(-3, pos);
  ByteChunk tiny;
  tiny.PutBytes("tf", 2);
  pos = 0;
  EXPECT_EQ(0, GetIPlugVerFromChunk(&tiny, &pos));
  EXPECT_EQ(0, pos);
}

TEST(ByteChunkVersionHeader, MagicWithoutVersionEndsReading)
{
  ByteChunk chunk;
  const uint8_t magic[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00};
  chunk.PutBytes(magic, sizeof(magic));
  int pos = 0;
  EXPECT_EQ(0, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(-1, pos);
}
