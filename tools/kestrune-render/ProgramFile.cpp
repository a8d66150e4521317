#include "tools/kestrune-render/ProgramFile.h"

#include <cstring>

namespace kestrune::render {
namespace {

// Bounds-checked big-endian reader over a byte range.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Remaining() const { return size_ - position_; }
  size_t Position() const { return position_; }

  bool ReadInt32(int32_t& out) {
    if (Remaining() < 4) return false;
    const uint8_t* p = data_ + position_;
    out = static_cast<int32_t>((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]);
    position_ += 4;
    return true;
  }

  bool ReadFloat(float& out) {
    int32_t bits = 0;
    if (!ReadInt32(bits)) return false;
    std::memcpy(&out, &bits, sizeof out);
    return true;
  }

  bool ReadName(std::string& out) {
    if (Remaining() < kProgramNameSize) return false;
    const char* p = reinterpret_cast<const char*>(data_ + position_);
    out.assign(p, strnlen(p, kProgramNameSize));
    position_ += kProgramNameSize;
    return true;
  }

  bool ReadBytes(size_t count, std::vector<uint8_t>& out) {
    if (Remaining() < count) return false;
    out.assign(data_ + position_, data_ + position_ + count);
    position_ += count;
    return true;
  }

  bool Skip(size_t count) {
    if (Remaining() < count) return false;
    position_ += count;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

class ByteWriter {
 public:
  void Int32(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    bytes_.insert(bytes_.end(), {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                                 static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
  }
  void Float(float value) {
    int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Int32(bits);
  }
  void Name(const std::string& name) {
    const size_t length = name.size() < kProgramNameSize - 1 ? name.size() : kProgramNameSize - 1;
    bytes_.insert(bytes_.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
    bytes_.insert(bytes_.end(), kProgramNameSize - length, 0);
  }
  void Bytes(const std::vector<uint8_t>& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void PatchInt32(size_t offset, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    bytes_[offset] = static_cast<uint8_t>(v >> 24);
    bytes_[offset + 1] = static_cast<uint8_t>(v >> 16);
    bytes_[offset + 2] = static_cast<uint8_t>(v >> 8);
    bytes_[offset + 3] = static_cast<uint8_t>(v);
  }
  std::vector<uint8_t>& Result() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads one fxProgram record from reader's position: the header, then its values or chunk.
bool ParseProgramRecord(ByteReader& reader, ProgramData& program, std::string& error) {
  int32_t magic = 0, byteSize = 0, form = 0, version = 0;
  int32_t& numParams = program.numParams;
  if (!reader.ReadInt32(magic) || magic != kChunkMagic) {
    error = "not a VST program: it does not start with CcnK";
    return false;
  }
  if (!reader.ReadInt32(byteSize) || !reader.ReadInt32(form) || !reader.ReadInt32(version) ||
      !reader.ReadInt32(program.pluginId) || !reader.ReadInt32(program.pluginVersion) ||
      !reader.ReadInt32(numParams) || !reader.ReadName(program.name)) {
    error = "the program header is cut short";
    return false;
  }
  if (form != kProgramParamsMagic && form != kProgramChunkMagic) {
    error = "not a VST program: its form is \"" + FourCharText(form) + "\", expected FxCk or FPCh";
    return false;
  }
  if (version != 1) {
    error = "unsupported program format version " + std::to_string(version) + " (expected 1)";
    return false;
  }
  if (numParams < 0) {
    error = "the program declares a negative number of parameters";
    return false;
  }
  program.isChunk = form == kProgramChunkMagic;
  if (program.isChunk) {
    int32_t chunkSize = 0;
    if (!reader.ReadInt32(chunkSize)) {
      error = "the program's chunk size is missing";
      return false;
    }
    if (chunkSize < 0 || static_cast<size_t>(chunkSize) > reader.Remaining()) {
      error = "the program's chunk claims " + std::to_string(static_cast<uint32_t>(chunkSize)) + " bytes but only " +
              std::to_string(reader.Remaining()) + " follow";
      return false;
    }
    return reader.ReadBytes(static_cast<size_t>(chunkSize), program.chunk);
  }
  if (static_cast<size_t>(numParams) > reader.Remaining() / 4) {
    error = "the program declares " + std::to_string(numParams) + " parameters but holds only " +
            std::to_string(reader.Remaining() / 4);
    return false;
  }
  program.parameters.resize(static_cast<size_t>(numParams));
  for (float& value : program.parameters) reader.ReadFloat(value);
  return true;
}

}  // namespace

std::string FourCharText(int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xff);
    text += (c >= 0x20 && c < 0x7f) ? c : '?';
  }
  return text;
}

bool ParseProgramFile(const uint8_t* data, size_t size, ProgramData& program, std::string& error) {
  ByteReader reader(data, size);
  program = ProgramData{};
  return ParseProgramRecord(reader, program, error);
}

bool ParseBankFile(const uint8_t* data, size_t size, BankData& bank, std::string& error) {
  ByteReader reader(data, size);
  bank = BankData{};
  int32_t magic = 0, byteSize = 0, form = 0, version = 0, numPrograms = 0, current = 0;
  if (!reader.ReadInt32(magic) || magic != kChunkMagic) {
    error = "not a VST bank: it does not start with CcnK";
    return false;
  }
  if (!reader.ReadInt32(byteSize) || !reader.ReadInt32(form) || !reader.ReadInt32(version) ||
      !reader.ReadInt32(bank.pluginId) || !reader.ReadInt32(bank.pluginVersion) || !reader.ReadInt32(numPrograms) ||
      !reader.ReadInt32(current) || !reader.Skip(kBankHeaderSize - reader.Position())) {
    error = "the bank header is cut short";
    return false;
  }
  if (form != kBankParamsMagic && form != kBankChunkMagic) {
    error = "not a VST bank: its form is \"" + FourCharText(form) + "\", expected FxBk or FBCh";
    return false;
  }
  if (version != 1 && version != 2) {
    error = "unsupported bank format version " + std::to_string(version) + " (expected 1 or 2)";
    return false;
  }
  if (numPrograms < 0) {
    error = "the bank declares a negative number of programs";
    return false;
  }
  bank.currentProgram = version >= 2 ? current : 0;
  bank.isChunk = form == kBankChunkMagic;
  if (bank.isChunk) {
    int32_t chunkSize = 0;
    if (!reader.ReadInt32(chunkSize)) {
      error = "the bank's chunk size is missing";
      return false;
    }
    if (chunkSize < 0 || static_cast<size_t>(chunkSize) > reader.Remaining()) {
      error = "the bank's chunk claims " + std::to_string(static_cast<uint32_t>(chunkSize)) + " bytes but only " +
              std::to_string(reader.Remaining()) + " follow";
      return false;
    }
    return reader.ReadBytes(static_cast<size_t>(chunkSize), bank.chunk);
  }
  // Each record needs at least its header, so the declared count cannot outgrow the file.
  if (static_cast<size_t>(numPrograms) > reader.Remaining() / kProgramHeaderSize) {
    error = "the bank declares " + std::to_string(numPrograms) + " programs but is too short for them";
    return false;
  }
  bank.programs.resize(static_cast<size_t>(numPrograms));
  for (size_t i = 0; i < bank.programs.size(); ++i) {
    std::string reason;
    if (!ParseProgramRecord(reader, bank.programs[i], reason)) {
      error = "program " + std::to_string(i) + " of the bank: " + reason;
      return false;
    }
    if (bank.programs[i].isChunk) {
      error = "program " + std::to_string(i) + " of the bank is a chunk, expected parameters (FxCk)";
      return false;
    }
  }
  return true;
}

std::vector<uint8_t> WriteProgramFile(const ProgramData& program) {
  ByteWriter writer;
  writer.Int32(kChunkMagic);
  writer.Int32(0);  // byte size, patched below
  writer.Int32(program.isChunk ? kProgramChunkMagic : kProgramParamsMagic);
  writer.Int32(1);
  writer.Int32(program.pluginId);
  writer.Int32(program.pluginVersion);
  writer.Int32(program.isChunk ? program.numParams : static_cast<int32_t>(program.parameters.size()));
  writer.Name(program.name);
  if (program.isChunk) {
    writer.Int32(static_cast<int32_t>(program.chunk.size()));
    writer.Bytes(program.chunk);
  } else {
    for (float value : program.parameters) writer.Float(value);
  }
  writer.PatchInt32(4, static_cast<int32_t>(writer.Result().size() - 8));
  return std::move(writer.Result());
}

}  // namespace kestrune::render
