#include "tools/kestrune-render/SoundFile.h"

#include "tools/kestrune-render/FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace kestrune::render {
namespace {

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

int ContainerForExtension(const std::string& ext) {
  if (ext == "wav") return SF_FORMAT_WAV;
  if (ext == "flac") return SF_FORMAT_FLAC;
  if (ext == "aif" || ext == "aiff" || ext == "aifc") return SF_FORMAT_AIFF;
  if (ext == "ogg" || ext == "oga") return SF_FORMAT_OGG;
  return 0;
}

int DefaultSubtype(int container) { return container == SF_FORMAT_OGG ? SF_FORMAT_VORBIS : SF_FORMAT_PCM_24; }

bool FormatAccepts(int format, int channels, int sampleRate) {
  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = sampleRate;
  return sf_format_check(&info) != 0;
}

template <typename Sample>
int64_t ReadFrames(SNDFILE* file, Sample* interleaved, int64_t frames, std::string& error) {
  sf_count_t got;
  if constexpr (std::is_same_v<Sample, float>) {
    got = sf_readf_float(file, interleaved, frames);
  } else {
    got = sf_readf_double(file, interleaved, frames);
  }
  if (got < frames && sf_error(file) != SF_ERR_NO_ERROR) {
    error = sf_strerror(file);
    return -1;
  }
  return got;
}

template <typename Sample>
bool WriteFrames(SNDFILE* file, const Sample* interleaved, int64_t frames, std::string& error) {
  sf_count_t put;
  if constexpr (std::is_same_v<Sample, float>) {
    put = sf_writef_float(file, interleaved, frames);
  } else {
    put = sf_writef_double(file, interleaved, frames);
  }
  if (put != frames) {
    const int err = sf_error(file);
    error = err != SF_ERR_NO_ERROR ? sf_strerror(file) : "short write (disk full?)";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<SoundFileReader> SoundFileReader::Open(const std::string& path, std::string& error) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    error = "cannot read input \"" + path + "\": " + std::strerror(errno);
    return nullptr;
  }
  if (S_ISDIR(st.st_mode)) {
    error = "cannot read input \"" + path + "\": it is a folder";
    return nullptr;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    error = "cannot read input \"" + path + "\": " + sf_strerror(nullptr);
    return nullptr;
  }
  return std::unique_ptr<SoundFileReader>(new SoundFileReader(SoundFileHandle(file), info));
}

int64_t SoundFileReader::Read(float* interleaved, int64_t frames, std::string& error) {
  return ReadFrames(file_.get(), interleaved, frames, error);
}

int64_t SoundFileReader::Read(double* interleaved, int64_t frames, std::string& error) {
  return ReadFrames(file_.get(), interleaved, frames, error);
}

int OutputFormatFor(const std::string& path, int inputFormat, int channels, int sampleRate, std::string& error) {
  const int container = ContainerForExtension(LowerExtension(path));
  if (container == 0) {
    error = "cannot tell the output format from \"" + path + "\": use .wav, .flac, .aif, .aiff or .ogg";
    return 0;
  }
  int format = container | DefaultSubtype(container);
  if (inputFormat != 0) {
    const int subtype = inputFormat & SF_FORMAT_SUBMASK;
    if ((inputFormat & SF_FORMAT_TYPEMASK) == container &&
        FormatAccepts(container | subtype | (inputFormat & SF_FORMAT_ENDMASK), channels, sampleRate)) {
      format = container | subtype | (inputFormat & SF_FORMAT_ENDMASK);
    } else if (FormatAccepts(container | subtype, channels, sampleRate)) {
      format = container | subtype;
    }
  }
  if (!FormatAccepts(format, channels, sampleRate)) {
    error = "the format of \"" + path + "\" cannot hold " + std::to_string(channels) + " channel(s) at " +
            std::to_string(sampleRate) + " Hz";
    return 0;
  }
  return format;
}

bool FormatClipsAtFullScale(int format) {
  const int subtype = format & SF_FORMAT_SUBMASK;
  return subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE && subtype != SF_FORMAT_VORBIS;
}

SoundFileWriter::SoundFileWriter(SoundFileHandle file, std::string path, std::string temporaryPath)
    : file_(std::move(file)), path_(std::move(path)), temporaryPath_(std::move(temporaryPath)) {}

std::unique_ptr<SoundFileWriter> SoundFileWriter::Create(const std::string& path, int format, int channels,
                                                         int sampleRate, std::string& error) {
  std::string temporary;
  const int fd = CreateTemporaryBeside(path, temporary, error);
  if (fd < 0) return nullptr;
  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = sampleRate;
  SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
  if (file == nullptr) {
    // libsndfile has closed the descriptor already: it owns it from the open call on.
    error = "cannot write \"" + path + "\": " + sf_strerror(nullptr);
    unlink(temporary.c_str());
    return nullptr;
  }
  // Integer formats would otherwise wrap samples beyond full scale into loud clicks.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return std::unique_ptr<SoundFileWriter>(new SoundFileWriter(SoundFileHandle(file), path, temporary));
}

SoundFileWriter::~SoundFileWriter() {
  if (finished_) return;
  file_.reset();
  unlink(temporaryPath_.c_str());
}

bool SoundFileWriter::Write(const float* interleaved, int64_t frames, std::string& error) {
  return WriteFrames(file_.get(), interleaved, frames, error);
}

bool SoundFileWriter::Write(const double* interleaved, int64_t frames, std::string& error) {
  return WriteFrames(file_.get(), interleaved, frames, error);
}

bool SoundFileWriter::Commit(std::string& error) {
  const int closed = sf_close(file_.release());
  if (closed != 0) {
    error = "cannot finish \"" + path_ + "\": " + sf_error_number(closed);
    unlink(temporaryPath_.c_str());
    finished_ = true;
    return false;
  }
  finished_ = true;
  if (rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    error = "cannot move the finished output to \"" + path_ + "\": " + std::strerror(errno);
    unlink(temporaryPath_.c_str());
    return false;
  }
  return true;
}

}  // namespace kestrune::render
