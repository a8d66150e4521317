#include "tools/kestrune-validate/GuardedText.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace kestrune::validate {
namespace {

constexpr unsigned char kMarker = 0xA5;

size_t PageSize() {
  const long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? static_cast<size_t>(page) : 4096;
}

}  // namespace

GuardedBuffer::GuardedBuffer(size_t size, size_t guardBytes) : size_(size), guardBytes_(guardBytes) {
  const size_t page = PageSize();
  const size_t usable = (size + guardBytes + page - 1) / page * page;
  mappingBytes_ = usable + page;
  void* mapping = mmap(nullptr, mappingBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return;
  mapping_ = static_cast<char*>(mapping);
  // The buffer and its band end exactly at the inaccessible page.
  mprotect(mapping_ + usable, page, PROT_NONE);
  data_ = mapping_ + usable - size - guardBytes;
  Reset();
}

GuardedBuffer::~GuardedBuffer() {
  if (mapping_ != nullptr) munmap(mapping_, mappingBytes_);
}

void GuardedBuffer::Reset() {
  if (data_ != nullptr) std::memset(data_, kMarker, size_ + guardBytes_);
}

size_t GuardedBuffer::WrittenExtent() const {
  if (data_ == nullptr) return 0;
  for (size_t i = size_ + guardBytes_; i > 0; --i) {
    if (static_cast<unsigned char>(data_[i - 1]) != kMarker) return i;
  }
  return 0;
}

std::string GuardedBuffer::Text(bool* terminated) const {
  if (data_ == nullptr) {
    if (terminated != nullptr) *terminated = false;
    return "";
  }
  const size_t length = strnlen(data_, size_);
  if (terminated != nullptr) *terminated = length < size_;
  return std::string(data_, length);
}

TextVerdict JudgeText(const GuardedBuffer& buf, size_t limit) {
  TextVerdict verdict;
  verdict.extent = buf.WrittenExtent();
  // Untouched, the buffer reads as the empty text hosts get from their zeroed buffers.
  if (verdict.extent == 0) return verdict;
  verdict.text = buf.Text(&verdict.terminated);
  verdict.pastLimit = verdict.extent > limit;
  verdict.pastBuffer = verdict.extent > buf.Size();
  verdict.validUtf8 = IsValidUtf8(verdict.text);
  return verdict;
}

bool IsValidUtf8(const std::string& bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char lead = s[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    unsigned int code = 0;
    unsigned int minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + length > n) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      code = (code << 6) | (s[i + k] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string Printable(const std::string& bytes, size_t maxChars) {
  std::string out;
  for (unsigned char c : bytes) {
    if (out.size() >= maxChars) {
      out += "...";
      break;
    }
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

}  // namespace kestrune::validate
