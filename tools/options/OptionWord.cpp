#include "tools/options/OptionWord.h"

namespace kestrune::tools {

OptionWord::OptionWord(int argc, const char* const* argv, int& index) : argc_(argc), argv_(argv), index_(index) {
  const std::string word = argv[index];
  const size_t eq = word.find('=');
  hasInline_ = word.compare(0, 2, "--") == 0 && eq != std::string::npos;
  name_ = hasInline_ ? word.substr(0, eq) : word;
  if (hasInline_) inlineValue_ = word.substr(eq + 1);
}

bool OptionWord::TakeValue(std::string& out, std::string& error) {
  if (hasInline_) {
    out = inlineValue_;
    return true;
  }
  if (index_ + 1 >= argc_) {
    error = name_ + " needs a value";
    return false;
  }
  out = argv_[++index_];
  return true;
}

bool OptionWord::RejectInlineValue(std::string& error) const {
  if (hasInline_) error = name_ + " takes no value";
  return !hasInline_;
}

}  // namespace kestrune::tools
