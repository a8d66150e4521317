#pragma once
// Asks a plug-in for texts through guarded buffers and sums up how it treated them: overruns of the
// interface limit are warnings (hosts that pass exactly that much break), overruns of the buffer
// hosts really pass, missing terminators and invalid UTF-8 are failures.

#include <cstddef>
#include <map>
#include <string>

#include "tools/kestrune-validate/CheckContext.h"
#include "tools/kestrune-validate/GuardedText.h"

namespace kestrune::validate {

class TextAudit {
 public:
  explicit TextAudit(CheckContext& context) : context_(context) {}

  // Calls the dispatcher with opcode and index and a guarded buffer in ptr; what is what the report
  // calls it ("effGetParamName(3)"), group gathers the warnings of one kind. Returns the text read.
  std::string Ask(Plugin& plugin, int32_t opcode, int32_t index, size_t limit, const std::string& group,
                  const std::string& what);
  // Judges a buffer the caller filled, as Ask does.
  std::string Judge(const GuardedBuffer& buffer, size_t limit, const std::string& group, const std::string& what);
  // Sends one warning per group that overran its limit.
  void ReportWarnings();

 private:
  struct Overruns {
    int count = 0;
    size_t longest = 0;
    size_t limit = 0;
    std::string example;
  };
  CheckContext& context_;
  GuardedBuffer buffer_;
  std::map<std::string, Overruns> overruns_;
};

}  // namespace kestrune::validate
