#include "tools/kestrune-render/ProgramFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace kestrune::render;

namespace {

// Builds big-endian records by hand, independently of the writer under test.
struct Bytes {
  std::vector<uint8_t> data;
  Bytes& Text(const char* four) {
    data.insert(data.end(), four, four + 4);
    return *this;
  }
  Bytes& Int(uint32_t v) {
    data.insert(data.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    return *this;
  }
  Bytes& Float(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return Int(v);
  }
  Bytes& Name(const char* name) {
    std::vector<uint8_t> field(28, 0);
    std::memcpy(field.data(), name, std::strlen(name));
    data.insert(data.end(), field.begin(), field.end());
    return *this;
  }
  Bytes& Raw(std::initializer_list<uint8_t> raw) {
    data.insert(data.end(), raw);
    return *this;
  }
};

Bytes ProgramHeader(const char* form, uint32_t numParams, const char* name = "Warm") {
  Bytes b;
  b.Text("CcnK").Int(0).Text(form).Int(1).Text("Kst1").Int(10000).Int(numParams).Name(name);
  return b;
}

// Parses from an exact-size heap copy, so reading one byte too far is caught by the sanitizers.
bool ParseExact(const std::vector<uint8_t>& data, size_t size, ProgramData& program, std::string& error) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
  std::memcpy(copy.get(), data.data(), size);
  return ParseProgramFile(copy.get(), size, program, error);
}

}  // namespace

TEST(ProgramFile, ParsesParameterFormWithNameAndValues) {
  Bytes b = ProgramHeader("FxCk", 2);
  b.Float(0.25f).Float(1.0f);
  ProgramData program;
  std::string error;
  ASSERT_TRUE(ParseProgramFile(b.data.data(), b.data.size(), program, error)) << error;
  EXPECT_EQ(program.pluginId, 0x4B737431);  // 'Kst1'
  EXPECT_EQ(program.pluginVersion, 10000);
  EXPECT_EQ(program.name, "Warm");
  EXPECT_FALSE(program.isChunk);
  EXPECT_EQ(program.parameters, (std::vector<float>{0.25f, 1.0f}));
}

TEST(ProgramFile, ParsesChunkFormAndTakesExactlyTheDeclaredChunk) {
  Bytes b = ProgramHeader("FPCh", 6);
  b.Int(3).Raw({7, 8, 9, 0xAA});  // one trailing byte beyond the chunk
  ProgramData program;
  std::string error;
  ASSERT_TRUE(ParseProgramFile(b.data.data(), b.data.size(), program, error)) << error;
  EXPECT_TRUE(program.isChunk);
  EXPECT_EQ(program.numParams, 6);
  EXPECT_EQ(program.chunk, (std::vector<uint8_t>{7, 8, 9}));
}

TEST(ProgramFile, NameFillingAllTwentyEightBytesStopsAtTheField) {
  Bytes b;
  b.Text("CcnK").Int(0).Text("FxCk").Int(1).Text("Kst1").Int(1).Int(0);
  b.data.insert(b.data.end(), 28, 'x');
  ProgramData program;
  std::string error;
  ASSERT_TRUE(ParseProgramFile(b.data.data(), b.data.size(), program, error)) << error;
  EXPECT_EQ(program.name, std::string(28, 'x'));
}

TEST(ProgramFile, RejectsWrongMagicFormAndVersion) {
  ProgramData program;
  std::string error;
  Bytes wrongMagic = ProgramHeader("FxCk", 0);
  std::memcpy(wrongMagic.data.data(), "RIFF", 4);
  EXPECT_FALSE(ParseProgramFile(wrongMagic.data.data(), wrongMagic.data.size(), program, error));
  EXPECT_NE(error.find("CcnK"), std::string::npos);

  Bytes bankForm = ProgramHeader("FxBk", 0);
  EXPECT_FALSE(ParseProgramFile(bankForm.data.data(), bankForm.data.size(), program, error));
  EXPECT_NE(error.find("FxBk"), std::string::npos);

  Bytes version2 = ProgramHeader("FxCk", 0);
  version2.data[15] = 2;
  EXPECT_FALSE(ParseProgramFile(version2.data.data(), version2.data.size(), program, error));
  EXPECT_NE(error.find("version 2"), std::string::npos);
}

TEST(ProgramFile, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
  Bytes params = ProgramHeader("FxCk", 3);
  params.Float(0.1f).Float(0.2f).Float(0.3f);
  Bytes chunk = ProgramHeader("FPCh", 3);
  chunk.Int(5).Raw({1, 2, 3, 4, 5});
  for (const Bytes* file : {&params, &chunk}) {
    for (size_t size = 0; size < file->data.size(); ++size) {
      ProgramData program;
      std::string error;
      EXPECT_FALSE(ParseExact(file->data, size, program, error)) << "size " << size;
      EXPECT_FALSE(error.empty());
    }
    ProgramData program;
    std::string error;
    EXPECT_TRUE(ParseExact(file->data, file->data.size(), program, error)) << error;
  }
}

TEST(ProgramFile, HugeDeclaredCountsAreRejected) {
  ProgramData program;
  std::string error;
  Bytes manyParams = ProgramHeader("FxCk", 0x7fffffff);
  EXPECT_FALSE(ParseProgramFile(manyParams.data.data(), manyParams.data.size(), program, error));
  Bytes negativeParams = ProgramHeader("FxCk", 0xffffffff);
  EXPECT_FALSE(ParseProgramFile(negativeParams.data.data(), negativeParams.data.size(), program, error));
  Bytes hugeChunk = ProgramHeader("FPCh", 1);
  hugeChunk.Int(0xfffffff0).Raw({1, 2});
  EXPECT_FALSE(ParseProgramFile(hugeChunk.data.data(), hugeChunk.data.size(), program, error));
}

TEST(ProgramFile, WritesTheStandardParameterLayout) {
  ProgramData program;
  program.pluginId = FourCharCode("Kst1");
  program.pluginVersion = 10000;
  program.name = "-";
  program.parameters = {0.5f, 0.0f};
  Bytes expected = ProgramHeader("FxCk", 2, "-");
  expected.Float(0.5f).Float(0.0f);
  expected.data[7] = 64 - 8;  // byte size: everything after the first two fields
  EXPECT_EQ(WriteProgramFile(program), expected.data);
}

TEST(ProgramFile, WritesChunkFormAndCutsLongNames) {
  ProgramData program;
  program.pluginId = FourCharCode("Fake");
  program.name = std::string(40, 'n');
  program.numParams = 2;
  program.isChunk = true;
  program.chunk = {1, 2, 3};
  const std::vector<uint8_t> bytes = WriteProgramFile(program);
  ASSERT_EQ(bytes.size(), 60u + 3u);
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FPCh");
  EXPECT_EQ(bytes[27], 2);                               // parameter count
  EXPECT_EQ(std::string(bytes.begin() + 28, bytes.begin() + 56), std::string(27, 'n') + '\0');
  EXPECT_EQ(bytes[59], 3);                               // chunk size
  EXPECT_EQ(bytes[62], 3);
  ProgramData back;
  std::string error;
  ASSERT_TRUE(ParseProgramFile(bytes.data(), bytes.size(), back, error)) << error;
  EXPECT_EQ(back.chunk, program.chunk);
}

namespace {

Bytes BankHeader(const char* form, uint32_t version, uint32_t numPrograms, uint32_t current) {
  Bytes b;
  b.Text("CcnK").Int(0).Text(form).Int(version).Text("Kst1").Int(10000).Int(numPrograms).Int(current);
  b.data.insert(b.data.end(), 124, 0);
  return b;
}

}  // namespace

TEST(BankFile, ParsesParameterProgramsAndTheCurrentIndex) {
  Bytes b = BankHeader("FxBk", 2, 2, 1);
  Bytes p0 = ProgramHeader("FxCk", 1, "A");
  p0.Float(0.1f);
  Bytes p1 = ProgramHeader("FxCk", 1, "B");
  p1.Float(0.9f);
  b.data.insert(b.data.end(), p0.data.begin(), p0.data.end());
  b.data.insert(b.data.end(), p1.data.begin(), p1.data.end());
  BankData bank;
  std::string error;
  ASSERT_TRUE(ParseBankFile(b.data.data(), b.data.size(), bank, error)) << error;
  EXPECT_EQ(bank.currentProgram, 1);
  ASSERT_EQ(bank.programs.size(), 2u);
  EXPECT_EQ(bank.programs[1].name, "B");
  EXPECT_EQ(bank.programs[1].parameters, std::vector<float>{0.9f});
}

TEST(BankFile, VersionOneBanksHaveNoCurrentProgram) {
  Bytes b = BankHeader("FBCh", 1, 4, 3);
  b.Int(2).Raw({5, 6});
  BankData bank;
  std::string error;
  ASSERT_TRUE(ParseBankFile(b.data.data(), b.data.size(), bank, error)) << error;
  EXPECT_EQ(bank.currentProgram, 0);
  EXPECT_TRUE(bank.isChunk);
  EXPECT_EQ(bank.chunk, (std::vector<uint8_t>{5, 6}));
}

TEST(BankFile, RejectsTruncationsBadRecordsAndImpossibleCounts) {
  Bytes b = BankHeader("FxBk", 2, 1, 0);
  Bytes p = ProgramHeader("FxCk", 2);
  p.Float(0.1f).Float(0.2f);
  b.data.insert(b.data.end(), p.data.begin(), p.data.end());
  for (size_t size = 0; size < b.data.size(); ++size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
    std::memcpy(copy.get(), b.data.data(), size);
    BankData bank;
    std::string error;
    EXPECT_FALSE(ParseBankFile(copy.get(), size, bank, error)) << "size " << size;
  }
  BankData bank;
  std::string error;
  Bytes tooMany = BankHeader("FxBk", 2, 1000000, 0);
  EXPECT_FALSE(ParseBankFile(tooMany.data.data(), tooMany.data.size(), bank, error));
  Bytes chunkRecord = BankHeader("FxBk", 2, 1, 0);
  Bytes c = ProgramHeader("FPCh", 0);
  c.Int(0);
  chunkRecord.data.insert(chunkRecord.data.end(), c.data.begin(), c.data.end());
  EXPECT_FALSE(ParseBankFile(chunkRecord.data.data(), chunkRecord.data.size(), bank, error));
  EXPECT_NE(error.find("program 0"), std::string::npos);
}
