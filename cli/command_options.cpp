#include "cli/command_options.h"

#include <cstdio>
#include <cstring>

#include "cli/exit_codes.h"
#include "cli/record_text.h"

void CommonOptions::AddTo(CommandLine& line) {
  line.DottedQuad("address", Address, {"A.B.C.D", "work from this address of the PC"})
      .Text("interface", Interface, 15,
            {"NAME",
             "work from the first IPv4 address of NAME (with --address: from that "
             "address on NAME)"})
      .Text("log", LogPath, 4096,
            {"FILE", "append the requests sent and the messages, with the time, to FILE"})
      .Fraction("wait", WaitSeconds, 0.05, 60,
                {"SECONDS", "how long a search waits (default 0.3; less once a MAC named answers)"});
}

std::optional<int> ParseCommand(CommandLine& line, const std::vector<std::string>& words) {
  std::vector<const char*> argv;
  for (const std::string& word : words)
    argv.push_back(word.c_str());
  if (!line.Parse(static_cast<int>(argv.size()), argv.data())) return BadUsage(line, line.Error());
  if (line.HelpWanted()) {
    std::fputs(line.Help().c_str(), stdout);
    return kDone;
  }
  return std::nullopt;
}

int BadUsage(const CommandLine& line, const std::string& why) {
  std::fprintf(stderr, "vellora-cli: %s\n%s\n", why.c_str(), line.Usage().c_str());
  return kBadUsage;
}

std::optional<int> RefuseOptionLikePath(const CommandLine& line, const char* option,
                                        const std::string& value) {
  if (value.empty() || value[0] != '-') return std::nullopt;
  return BadUsage(line, std::string("the value of --") + option + " begins with '-' ('" + value +
                            "'); give the file's name, e.g. ./" + value);
}

std::optional<int> Start(const CommonOptions& common, const CommandLine& line, Started& started) {
  if (const auto refused = RefuseOptionLikePath(line, "log", common.LogPath)) return refused;
  if (!common.LogPath.empty()) {
    std::string error;
    started.File = AppendFile::Open(common.LogPath, error);
    if (!started.File) {
      std::fprintf(stderr, "vellora-cli: cannot open the log file %s: %s\n", common.LogPath.c_str(),
                   error.c_str());
      return kBadUsage;
    }
  }
  started.Run = std::make_unique<Session>(started.File.get());
  StartRequest request;
  if (line.Given("address")) request.Address = HostToNetworkLong(common.Address);
  request.Interface = common.Interface;
  if (!started.Run->ChooseAddress(request)) return kBadUsage;
  if (!started.Run->Open()) return kNotDone;
  return std::nullopt;
}

bool ReadModuleName(bool only, std::vector<std::string>& operands, ModuleName& name,
                    std::string& why) {
  name.Only = only;
  if (only) return true;
  if (operands.empty()) {
    why = "name the module by its MAC, or give --only";
    return false;
  }
  name.Mac = ParseMac(operands.front());
  if (!name.Mac) {
    why = "'" + operands.front() + "' is not a MAC address";
    return false;
  }
  operands.erase(operands.begin());
  return true;
}

std::optional<GatewayRecord> FindModule(Session& session, const ModuleName& name,
                                        std::chrono::milliseconds wait, bool everyModule) {
  // A module named by its MAC is taken as soon as it answers; --only needs the whole wait, to
  // know that no other module answers.
  Session::SearchEnd end{wait, nullptr};
  if (!name.Only && !everyModule)
    end.Sought = [&](const FoundModules& found) { return found.Find(*name.Mac) != nullptr; };
  const FoundModules& answered = session.Search(end);
  if (name.Only) {
    if (answered.Count() == 1) return answered.At(0);
    session.Say(answered.Count() == 0 ? "vellora-cli: no module answered the search from " +
                                            DottedQuad(NetworkToHostLong(session.Address()))
                                      : "vellora-cli: " + std::to_string(answered.Count()) +
                                            " modules answered; name the one meant by its MAC");
    return std::nullopt;
  }
  if (const GatewayRecord* module = answered.Find(*name.Mac)) return *module;
  session.Say("vellora-cli: " + ColonMac(*name.Mac) + " did not answer the search from " +
              DottedQuad(NetworkToHostLong(session.Address())) + "; " +
              std::to_string(answered.Count()) + " other module(s) did");
  return std::nullopt;
}
