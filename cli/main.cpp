// vellora-cli: the gateway functions of the window for scripts and production lines, with
// exactly the same requests on the wire.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/settings_words.h"
#include "tools/command_line/command_line.h"

namespace {

struct Command {
  const char* Name;
  int (*Run)(const std::vector<std::string>& words);
  const char* Operands;
  const char* Summary;
};

constexpr Command kCommands[] = {
    {"search", SearchCommand, "[--json]", "list the modules that answer, every field of each"},
    {"set", SetCommandLine, "MAC|--only key=value...", "change the named settings:"},
    {"reboot", RebootCommand, "MAC|--only", "make the module restart"},
    {"set-mac", SetMacCommandLine, "MAC|--only NEWMAC", "give the module a new MAC"},
    {"eeprom", EepromCommand, "MAC|--only ADDRESS VALUE", "write one EEPROM byte (hexadecimal)"},
    {"assign", AssignCommand, "MAC|--only --prefix AA:BB:CC --serial-file FILE|--line CONNINFO",
     "give the module the next MAC of the line: the next number of the counter file, or of\n"
     "      the line database's pool for the prefix"},
    {"verify", VerifyCommand, "LABEL", "check that the module with the label's MAC answers"},
    {"listen", ListenCommand, "MAC|--ip A.B.C.D [--seconds N]",
     "print the lines the module sends on its TCP port 80"},
    {"line", LineCommand, "init|status|history [--line CONNINFO]",
     "the serial-number pools and the production record of a line of stations, in PostgreSQL"},
};

std::string Help() {
  std::string text =
      "usage: vellora-cli COMMAND [options] [operands]\n\n"
      "Finds Ethernet gateway modules on one network interface of this PC and does for scripts\n"
      "what the window does, with the same requests on the wire. A module is named by its MAC\n"
      "in any usual notation (02:00:00:00:00:01, 02-00-00-00-00-01, 020000000001), or by\n"
      "--only for the one module that answers.\n\nCommands:\n";
  for (const Command& command : kCommands) {
    text += std::string("  ") + command.Name + " " + command.Operands + "\n      " +
            command.Summary +
            (command.Run == SetCommandLine ? " " + SettingKeyList() : std::string()) + "\n";
  }
  text +=
      "\nEvery command takes --address A.B.C.D and/or --interface NAME (without them, the PC's\n"
      "first address), --wait SECONDS (how long a search waits, default 0.3; a search for one\n"
      "module's MAC ends when it answers) and --log FILE (appends the requests sent and the\n"
      "messages, with the time). set, set-mac and assign take --confirm.\n\n"
      "With --line CONNINFO (default: $VELLORA_LINE, when it is set) and --station NAME\n"
      "(default: the host name), set, reboot, set-mac, eeprom, assign and verify write their rows\n"
      "to the line database, a write's row before the write leaves: a write whose row cannot be\n"
      "stored is not sent.\n\n"
      "'vellora-cli COMMAND --help' lists a command's options, 'vellora-cli --version' the\n"
      "version.\n\n"
      "Results go to stdout, messages to stderr.\n"
      "Exit status: 0 done; 1 not found, did not answer, or refused; 2 bad usage.\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that went away is an error a command reports (a MAC it gave must not be lost
  // without a word), not a signal that ends it half way.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  bool version = false;
  CommandLine line("vellora-cli", "COMMAND ...");
  line.Flag("version", version, "the version").StopAtCommand();
  if (!line.Parse(argc, argv)) {
    std::fprintf(stderr, "vellora-cli: %s\nTry 'vellora-cli --help'.\n", line.Error().c_str());
    return kBadUsage;
  }
  if (line.HelpWanted()) {
    std::fputs(Help().c_str(), stdout);
    return kDone;
  }
  if (version) {
    std::printf("vellora-cli %s\n", VELLORA_VERSION);
    return kDone;
  }
  if (line.Positional().empty()) {
    std::fputs(Help().c_str(), stderr);
    return kBadUsage;
  }
  const std::string& name = line.Positional().front();
  for (const Command& command : kCommands) {
    if (name == command.Name) return command.Run(line.Positional());
  }
  std::fprintf(stderr, "vellora-cli: unknown command '%s'\nTry 'vellora-cli --help'.\n",
               name.c_str());
  return kBadUsage;
}
