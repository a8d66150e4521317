// One option word of a command line ("-j", "--name", "--name=value") and its value, which is
// written inline after "=" or as the next word. The command-line tools share it so that every
// option of theirs reads and complains the same way.
#pragma once

#include <string>

namespace kestrune::tools {

class OptionWord {
 public:
  // Reads argv[index]; taking a value from the next word advances index past it.
  OptionWord(int argc, const char* const* argv, int& index);

  // The option's name: the word itself, or what comes before "=" in a "--name=value" word.
  const std::string& Name() const { return name_; }
  // True when the value was written inline ("--name=value").
  bool HasInlineValue() const { return hasInline_; }

  // Puts the option's value into out; false with "NAME needs a value" in error when the command
  // line ends before it.
  bool TakeValue(std::string& out, std::string& error);
  // True for an option written without a value; false with "NAME takes no value" in error.
  bool RejectInlineValue(std::string& error) const;

 private:
  int argc_;
  const char* const* argv_;
  int& index_;
  std::string name_;
  std::string inlineValue_;
  bool hasInline_ = false;
};

}  // namespace kestrune::tools
