#pragma once

// Runs a program to its end and collects what it wrote: for tests of command-line programs.

#include <string>
#include <vector>

struct ChildResult {
  int Status = -1;  // the exit status; -1 when it was killed or did not start
  std::string Out, Err;
  double Milliseconds = 0;  // from the start to the end of the process
  double PeakMiB = 0;       // its largest resident set
};

// Runs argv[0] with the arguments inside the network namespace (none: this one), with `env`
// ("NAME=value") added to the environment and stdin closed. Killed when it outlives
// `boundMs`, against a hang.
ChildResult RunChild(const std::string& netns, std::vector<std::string> argv,
                     const std::vector<std::string>& env = {}, int boundMs = 30000);
