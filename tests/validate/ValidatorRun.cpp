#include "tests/validate/ValidatorRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace kestrune_test {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::vector<std::string> ValidatorRun::Failed() const {
  std::vector<std::string> names;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, 8, "  FAIL  ") == 0) names.push_back(line.substr(8, line.find(' ', 8) - 8));
  }
  return names;
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrune-validate-test.XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

ValidatorRun RunValidator(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& extraEnvironment) {
  ValidatorRun run;
  ScratchDir scratch;
  const std::string outPath = scratch.File("stdout");
  const std::string errPath = scratch.File("stderr");
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Checks that need a display get one only when a test asks for it (--xvfb); extra entries
  // replace inherited ones of the same name.
  auto replaced = [&](const std::string& entry) {
    if (entry.compare(0, 8, "DISPLAY=") == 0) return true;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    for (const std::string& extra : extraEnvironment) {
      if (extra.compare(0, name.size(), name) == 0) return true;
    }
    return false;
  };
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!replaced(*e)) envStrings.emplace_back(*e);
  }
  envStrings.insert(envStrings.end(), extraEnvironment.begin(), extraEnvironment.end());
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    // "  pass  name        0.1 s  detail"
    if (line.size() < 8 || line.compare(0, 2, "  ") != 0 || line[6] != ' ' || line[7] != ' ') continue;
    const std::string status = line.substr(2, 4);
    if (status != "pass" && status != "FAIL" && status != "skip") continue;
    const size_t nameEnd = line.find(' ', 8);
    const std::string name = line.substr(8, nameEnd - 8);
    run.statuses[name] = status;
    run.details[name] = nameEnd == std::string::npos ? "" : line.substr(nameEnd);
  }
  return run;
}

}  // namespace kestrune_test
