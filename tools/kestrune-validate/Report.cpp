#include "tools/kestrune-validate/Report.h"

#include <cstdio>

namespace kestrune::validate {
namespace {

constexpr size_t kProgressWidth = 100;

const char* StatusWord(CheckResult::Status status) {
  switch (status) {
    case CheckResult::Status::kPass: return "pass";
    case CheckResult::Status::kFail: return "FAIL";
    case CheckResult::Status::kSkip: return "skip";
  }
  return "?";
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A line a process printed, without terminal colour codes and other control characters.
std::string PlainText(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == 0x1B && i + 1 < line.size() && line[i + 1] == '[') {
      i += 2;
      while (i < line.size() && !(line[i] >= 0x40 && line[i] <= 0x7E)) ++i;
      continue;
    }
    out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
  }
  return out;
}

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

}  // namespace

std::string ModuleHeader(const std::string& path, int strictness, uint64_t seed) {
  return "kestrune-validate: " + path + " (strictness " + std::to_string(strictness) + ", seed " +
         std::to_string(seed) + ")\n";
}

std::string CheckLines(const CheckResult& result) {
  std::string name = result.name;
  name.resize(11, ' ');
  std::string time = Seconds(result.seconds);
  time.insert(0, time.size() < 7 ? 7 - time.size() : 0, ' ');
  std::string text = "  " + std::string(StatusWord(result.status)) + "  " + name + time;
  if (!result.detail.empty()) text += "  " + result.detail;
  text += "\n";
  for (const std::string& warning : result.warnings) text += "        warning: " + warning + "\n";
  if (result.status == CheckResult::Status::kFail && !result.output.empty()) {
    text += "        the check's process printed (last lines):\n";
    for (const std::string& line : result.output) text += "        | " + PlainText(line) + "\n";
  }
  return text;
}

std::string SummaryLine(const ModuleReport& report) {
  int passed = 0, failed = 0, skipped = 0, warnings = 0;
  for (const CheckResult& r : report.results) {
    passed += r.status == CheckResult::Status::kPass;
    failed += r.status == CheckResult::Status::kFail;
    skipped += r.status == CheckResult::Status::kSkip;
    warnings += static_cast<int>(r.warnings.size());
  }
  return BaseName(report.path) + ": " + std::to_string(passed) + " passed, " + std::to_string(failed) + " failed, " +
         std::to_string(skipped) + " skipped, " + Plural(warnings, "warning") + " (" + Seconds(report.seconds) + ")\n";
}

bool AnyFailed(const std::vector<ModuleReport>& reports) {
  for (const ModuleReport& report : reports) {
    for (const CheckResult& r : report.results) {
      if (r.status == CheckResult::Status::kFail) return true;
    }
  }
  return false;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string ToJson(const std::vector<ModuleReport>& reports, int strictness, uint64_t seed) {
  auto list = [](const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + JsonString(items[i]);
    return out + "]";
  };
  std::string out = "{\n  \"strictness\": " + std::to_string(strictness) + ",\n  \"seed\": " + std::to_string(seed) +
                    ",\n  \"passed\": " + (AnyFailed(reports) ? "false" : "true") + ",\n  \"modules\": [";
  for (size_t m = 0; m < reports.size(); ++m) {
    const ModuleReport& report = reports[m];
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", report.seconds);
    out += std::string(m ? "," : "") + "\n    {\n      \"path\": " + JsonString(report.path) + ",\n      \"seconds\": " +
           seconds + ",\n      \"checks\": [";
    for (size_t i = 0; i < report.results.size(); ++i) {
      const CheckResult& r = report.results[i];
      std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
      const char* status = r.status == CheckResult::Status::kPass   ? "pass"
                           : r.status == CheckResult::Status::kSkip ? "skip"
                                                                    : "fail";
      out += std::string(i ? "," : "") + "\n        {\"name\": " + JsonString(r.name) + ", \"status\": \"" + status +
             "\", \"detail\": " + JsonString(r.detail) + ", \"seconds\": " + seconds +
             ", \"warnings\": " + list(r.warnings) + ", \"output\": " + list(r.output) + "}";
    }
    out += "\n      ]\n    }";
  }
  return out + "\n  ]\n}\n";
}

void ProgressLine::Begin(int index, int count, const std::string& check) {
  prefix_ = "[" + std::to_string(index) + "/" + std::to_string(count) + "] " + check;
  lastDraw_ = Clock::time_point{};
  Update("");
}

void ProgressLine::Update(const std::string& text) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  std::string line = text.empty() ? prefix_ : prefix_ + ": " + text;
  if (line.size() > kProgressWidth) line = line.substr(0, kProgressWidth - 3) + "...";
  std::fprintf(stream_, "\r\033[K%s", line.c_str());
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!enabled_ || !drawn_) return;
  std::fputs("\r\033[K", stream_);
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace kestrune::validate
