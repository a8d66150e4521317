#pragma once
// Runs the built kestrune-validate as a user would and reads its report back.

#include <map>
#include <string>
#include <vector>

namespace kestrune_test {

struct ValidatorRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  double seconds = 0.0;
  // Each check's status word ("pass", "FAIL", "skip") by name, from the report's check lines.
  std::map<std::string, std::string> statuses;
  // The rest of each check's line (time and detail), by name.
  std::map<std::string, std::string> details;
  // Names of the checks that failed, in report order.
  std::vector<std::string> Failed() const;
};

// Runs program with args (no shell) and an environment without DISPLAY, plus extra entries (which
// replace inherited ones of the same name).
ValidatorRun RunValidator(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& extraEnvironment = {});

// A scratch folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kestrune_test
