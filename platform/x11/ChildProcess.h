#pragma once

// Programs the editor runs outside itself (the desktop's URL opener, dialog tools), always by
// fork and exec with an argument vector, never through a shell, and always reaped.

#include <functional>
#include <string>
#include <vector>

// The full path of the executable name found along $PATH (or name itself when it holds a '/'
// and is executable); empty when there is none.
std::string FindProgram(const char* name);

// Starts argv[0] (searched along $PATH) with the arguments argv[1...] and does not wait for it:
// it runs as a grandchild, so nothing is left to reap. True when the program was started (its
// exec succeeded).
bool LaunchDetached(const std::vector<std::string>& argv);

// What a program run to completion answered.
struct ProgramResult
{
  bool ran = false;    // it was started (exec succeeded)
  int exitStatus = -1; // its exit status, -1 when it did not exit normally
  std::string output;  // what it wrote to its standard output
};

// Runs argv[0] with the arguments argv[1...], its standard input empty, and collects its standard
// output until it exits. whileWaiting, when given, is called about every tickMs milliseconds while
// the program runs (the editor keeps its window painted meanwhile).
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::function<void()>& whileWaiting = nullptr,
                         int tickMs = 40);
