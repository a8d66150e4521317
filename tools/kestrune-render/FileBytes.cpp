#include "tools/kestrune-render/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kestrune::render {
namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now and reports whether the close succeeded (a failed close can mean lost data).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

std::string Reason(const std::string& what, const std::string& path) {
  return "cannot " + what + " \"" + path + "\": " + std::strerror(errno);
}

}  // namespace

bool ReadFileBytes(const std::string& path, size_t maxSize, std::vector<uint8_t>& bytes, std::string& error) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    error = Reason("read", path);
    return false;
  }
  struct stat st {};
  if (fstat(file.Get(), &st) != 0) {
    error = Reason("read", path);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "cannot read \"" + path + "\": it is not a regular file";
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    error = "cannot read \"" + path + "\": it is larger than " + std::to_string(maxSize) + " bytes";
    return false;
  }
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = Reason("read", path);
      return false;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return true;
}

int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath, std::string& error) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "" : path.substr(0, slash));
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat st {};
  if (leaf.empty() || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
    error = "cannot write \"" + path + "\": it names a folder";
    return -1;
  }
  std::string pattern = folder + "/." + leaf + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    error = Reason("write", path);
    return -1;
  }
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  temporaryPath.assign(name.data());
  return fd;
}

bool CheckWritable(const std::string& path, std::string& error) {
  std::string temporary;
  FileDescriptor file(CreateTemporaryBeside(path, temporary, error));
  if (file.Get() < 0) return false;
  unlink(temporary.c_str());
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::string temporary;
  FileDescriptor file(CreateTemporaryBeside(path, temporary, error));
  if (file.Get() < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(file.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = Reason("write", path);
      unlink(temporary.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (!file.Close() || rename(temporary.c_str(), path.c_str()) != 0) {
    error = Reason("write", path);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kestrune::render
