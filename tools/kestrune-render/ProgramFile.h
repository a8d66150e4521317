#pragma once
// The standard VST program (FXP) and bank (FXB) file layouts, read and written as bytes.
// All header fields and parameter floats are big-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::render {

// Four-character codes, first character in the most significant byte.
constexpr int32_t FourCharCode(const char (&code)[5]) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<unsigned char>(code[3])));
}
constexpr int32_t kChunkMagic = FourCharCode("CcnK");
constexpr int32_t kProgramParamsMagic = FourCharCode("FxCk");
constexpr int32_t kProgramChunkMagic = FourCharCode("FPCh");
constexpr int32_t kBankParamsMagic = FourCharCode("FxBk");
constexpr int32_t kBankChunkMagic = FourCharCode("FBCh");

constexpr size_t kProgramHeaderSize = 56;   // up to and including the 28-byte name
constexpr size_t kProgramNameSize = 28;
constexpr size_t kBankHeaderSize = 156;     // up to and including the 124 reserved bytes
// Files larger than this are refused before they are read.
constexpr size_t kMaxPresetFileSize = 64u << 20;

// One program: either parameter values (normalised floats) or an opaque state chunk.
struct ProgramData {
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  std::string name;  // at most 27 characters are stored
  int32_t numParams = 0;  // the header's parameter count; equals parameters.size() in the parameter form
  bool isChunk = false;
  std::vector<float> parameters;
  std::vector<uint8_t> chunk;
};

// A bank: a program record per slot, or one opaque bank chunk.
struct BankData {
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  int32_t currentProgram = 0;  // 0 in version-1 banks, which do not store it
  bool isChunk = false;
  std::vector<ProgramData> programs;
  std::vector<uint8_t> chunk;
};

// Reads a program file; returns false and a reason when the magic, format version or sizes are wrong.
// Nothing outside [data, data + size) is read.
bool ParseProgramFile(const uint8_t* data, size_t size, ProgramData& program, std::string& error);

// Reads a bank file (format version 1 or 2); same guarantees as ParseProgramFile.
bool ParseBankFile(const uint8_t* data, size_t size, BankData& bank, std::string& error);

// The bytes of a program file: FxCk with the parameters, or FPCh with the chunk. The byte-size field
// holds the number of bytes that follow it, and the name is cut to 27 characters.
std::vector<uint8_t> WriteProgramFile(const ProgramData& program);

// The four characters of a code for messages, e.g. "Kst1" (non-printable bytes as '?').
std::string FourCharText(int32_t code);

}  // namespace kestrune::render
