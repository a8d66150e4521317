#include "tools/kestrune-validate/checks/TextAudit.h"

namespace kestrune::validate {

std::string TextAudit::Ask(Plugin& plugin, int32_t opcode, int32_t index, size_t limit, const std::string& group,
                           const std::string& what) {
  buffer_.Reset();
  plugin.Dispatch(opcode, index, 0, buffer_.Data());
  return Judge(buffer_, limit, group, what);
}

std::string TextAudit::Judge(const GuardedBuffer& buffer, size_t limit, const std::string& group,
                             const std::string& what) {
  const TextVerdict v = JudgeText(buffer, limit);
  if (v.pastBuffer) {
    context_.Fail(what + " wrote " + std::to_string(v.extent) + " bytes into a " + std::to_string(buffer.Size()) +
                  "-byte buffer (the interface allows " + std::to_string(limit) + ")");
  } else if (!v.terminated) {
    context_.Fail(what + " left the text without a terminating NUL");
  } else if (!v.validUtf8) {
    context_.Fail(what + " gave text that is not valid UTF-8: \"" + Printable(v.text) + "\"");
  } else if (v.pastLimit) {
    Overruns& o = overruns_[group];
    if (o.count++ == 0) o.example = what + " \"" + Printable(v.text) + "\"";
    o.longest = std::max(o.longest, v.extent);
    o.limit = limit;
  }
  return v.text;
}

void TextAudit::ReportWarnings() {
  for (const auto& [group, o] : overruns_) {
    context_.Warn(group + " wrote up to " + std::to_string(o.longest) + " bytes where the interface allows " +
                  std::to_string(o.limit) + " (" + std::to_string(o.count) + " time" + (o.count == 1 ? "" : "s") +
                  ", e.g. " + o.example + ")");
  }
  overruns_.clear();
}

}  // namespace kestrune::validate
