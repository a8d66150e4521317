#pragma once
// Buffers for texts a plug-in writes, laid out so that every overrun is measured and none goes
// unnoticed: the host-sized buffer is followed by a marked guard band and then an inaccessible page,
// so a write past the band faults at once instead of corrupting memory.

#include <cstddef>
#include <string>

namespace kestrune::validate {

// Bytes hosts really pass for names and texts, whatever the interface promises.
constexpr size_t kHostTextBuffer = 256;

class GuardedBuffer {
 public:
  // A buffer of size bytes followed by a guard band of guardBytes, all filled with a marker.
  explicit GuardedBuffer(size_t size = kHostTextBuffer, size_t guardBytes = 4096);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  // The start of the buffer, to hand to the plug-in; null when the memory could not be mapped.
  char* Data() { return data_; }
  size_t Size() const { return size_; }
  // Refills the buffer and guard band with the marker (call before each use).
  void Reset();
  // How many bytes from the start were written: one past the last byte that no longer holds the
  // marker (0 when nothing was written). Includes writes into the guard band.
  size_t WrittenExtent() const;
  // The text up to the first NUL within Size() bytes; terminated() tells whether there was one.
  std::string Text(bool* terminated = nullptr) const;

 private:
  char* mapping_ = nullptr;
  size_t mappingBytes_ = 0;
  char* data_ = nullptr;
  size_t size_;
  size_t guardBytes_;
};

// What a plug-in did with a text buffer, judged against the interface limit and the host buffer.
struct TextVerdict {
  std::string text;
  size_t extent = 0;          // bytes written, terminator included
  bool terminated = true;     // a NUL within the host buffer
  bool pastLimit = false;     // wrote past the interface's limit: hosts that pass only that many bytes break
  bool pastBuffer = false;    // wrote past the host buffer: memory corruption in every host
  bool validUtf8 = true;
};

// Judges what buf holds after a call whose interface limit is limit bytes (terminator included). A
// buffer the plug-in did not touch counts as the empty text.
TextVerdict JudgeText(const GuardedBuffer& buf, size_t limit);

// Whether bytes form valid UTF-8 (plain ASCII included): no stray continuation bytes, no truncated,
// overlong or surrogate sequences, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& bytes);

// The text with control and non-ASCII bytes shown as \xNN, cut to at most maxChars, for reports.
std::string Printable(const std::string& bytes, size_t maxChars = 60);

}  // namespace kestrune::validate
