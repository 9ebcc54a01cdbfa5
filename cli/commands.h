#pragma once

#include <string>
#include <vector>

// The commands of vellora-cli. Each takes its words, its own name first, and yields the exit
// status (exit_codes.h).
int SearchCommand(const std::vector<std::string>& words);
int VerifyCommand(const std::vector<std::string>& words);
int SetCommandLine(const std::vector<std::string>& words);
int RebootCommand(const std::vector<std::string>& words);
int SetMacCommandLine(const std::vector<std::string>& words);
int EepromCommand(const std::vector<std::string>& words);
int AssignCommand(const std::vector<std::string>& words);
int ListenCommand(const std::vector<std::string>& words);
// words[1] names the line command: init, status or history.
int LineCommand(const std::vector<std::string>& words);
