#pragma once
// Whole-file reads, atomic whole-file writes and temporary siblings for files published by rename.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::render {

// Reads the whole file; returns false and a reason when it cannot be read or exceeds maxSize bytes.
bool ReadFileBytes(const std::string& path, size_t maxSize, std::vector<uint8_t>& bytes, std::string& error);

// Creates an empty file under a fresh hidden name in the folder of path (so a later rename into path
// cannot cross file systems), with the permissions a new file would get. Returns its descriptor and
// name, or -1 and a reason naming path.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath, std::string& error);

// Whether WriteFileAtomically could write path now: makes and removes a temporary file beside it.
// Returns false and the reason that write would give, so a long job can fail before it starts.
bool CheckWritable(const std::string& path, std::string& error);

// Writes bytes under a temporary name in the destination's folder and renames it into place, so the
// file is either complete or absent. Returns false and a reason on failure.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace kestrune::render
