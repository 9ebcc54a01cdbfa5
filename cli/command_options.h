#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/session.h"
#include "platform/posix/append_file.h"
#include "udp/found_modules.h"
#include "protocol/gateway_record.h"
#include "protocol/text_values.h"
#include "tools/command_line/command_line.h"

// The options every command takes: the PC address to work from, the record to keep, and how
// long to wait for the modules' answers to a search. Modules answer a search within a few
// milliseconds; the default wait leaves a wide margin without making a line wait.
struct CommonOptions {
  static constexpr double kDefaultWaitSeconds = 0.3;
  std::uint32_t Address = 0;
  std::string Interface;
  std::string LogPath;
  double WaitSeconds = kDefaultWaitSeconds;

  void AddTo(CommandLine& line);
  std::chrono::milliseconds Wait() const {
    return std::chrono::milliseconds(static_cast<long>(WaitSeconds * 1000));
  }
};

// Parses a command's own options; words[0] is the command's name. Nothing when the command is
// to go on, else its exit status: 0 after --help, 2 after a bad command line (said on stderr).
std::optional<int> ParseCommand(CommandLine& line, const std::vector<std::string>& words);

// A bad command line, said on stderr with the command's usage; yields the exit status 2.
int BadUsage(const CommandLine& line, const std::string& why);

// What a command needs to talk to the modules: the record opened and the session on the chosen
// PC address.
struct Started {
  std::unique_ptr<AppendFile> File;
  std::unique_ptr<Session> Run;
};
// Nothing when the session is ready, else the exit status (2 when the record cannot be opened or
// the PC has no such address, 1 when the socket cannot be made).
std::optional<int> Start(const CommonOptions& common, const CommandLine& line, Started& started);

// The module a command is for, as named on its command line: by its MAC, or by --only.
struct ModuleName {
  std::optional<MacAddress> Mac;
  bool Only = false;
};
// Reads the MAC operand (taken from `operands`) or --only; false with the reason when neither
// or both name a module, or the MAC is no MAC.
bool ReadModuleName(bool only, std::vector<std::string>& operands, ModuleName& name,
                    std::string& why);
// Searches and finds the module: the one with the MAC, or the only one that answered. Nothing,
// with the reason said, when it is not there. A search for a MAC ends when it answers, unless
// `everyModule`: a command that gives a new MAC must know every MAC in use.
std::optional<GatewayRecord> FindModule(Session& session, const ModuleName& name,
                                        std::chrono::milliseconds wait, bool everyModule = false);
// A path option's value that begins with "-" is most likely the next option, its own value
// forgotten: refused with exit status 2 (nothing when it is fine).
std::optional<int> RefuseOptionLikePath(const CommandLine& line, const char* option,
                                        const std::string& value);
