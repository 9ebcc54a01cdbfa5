// The help text of a CommandLine: made from the options, or a hand-written one checked
// against them.
#include <algorithm>
#include <cctype>

#include "tools/command_line/command_line.h"

namespace {

// Where the help of an option starts, after "  --name VALUE" and at least one blank.
constexpr std::size_t kHelpColumn = 25;

bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
}

// "  --name VALUE" and its help, the help's further lines under its first.
void AddRow(std::string& out, const std::string& name, const std::string& value,
            std::string_view help) {
  std::string left = "  --" + name;
  if (!value.empty()) left += ' ' + value;
  out += left;
  if (help.empty()) {
    out += '\n';
    return;
  }
  if (left.size() + 1 > kHelpColumn) {
    out += '\n';
    left.clear();
  }
  out += std::string(kHelpColumn - left.size(), ' ');
  for (std::size_t end; (end = help.find('\n')) != std::string_view::npos;) {
    out += help.substr(0, end);
    out += '\n' + std::string(kHelpColumn, ' ');
    help.remove_prefix(end + 1);
  }
  out += help;
  out += '\n';
}

// Whether a line of `text`, blanks aside, starts with "--name" as a whole word.
bool StartsALine(std::string_view text, std::string_view name) {
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    if (line.substr(0, 2) == "--" && line.substr(2, name.size()) == name &&
        (line.size() == name.size() + 2 || !IsNameCharacter(line[name.size() + 2])))
      return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::string CommandLine::Usage() const {
  std::string usage = "usage: " + program_;
  for (const Option& option : options_)
    usage += " [--" + option.Name + (option.Value.empty() ? "" : " " + option.Value) + "]";
  if (!operands_.empty()) usage += ' ' + operands_;
  return usage;
}

std::string CommandLine::Help() const {
  std::string help = Usage() + "\n\n";
  for (const Option& option : options_)
    AddRow(help, option.Name, option.Value, option.Help);
  AddRow(help, "help", {}, "this text");
  return help;
}

std::vector<std::string> CommandLine::HelpMismatches(std::string_view text) const {
  std::vector<std::string> known = {"help"};
  for (const Option& option : options_)
    known.push_back(option.Name);

  std::vector<std::string> faults;
  for (const std::string& name : known)
    if (!StartsALine(text, name)) faults.push_back("--" + name + " is not in the help text");

  std::vector<std::string> strangers;
  for (std::size_t at = text.find("--"); at != std::string_view::npos;
       at = text.find("--", at + 2)) {
    if (at > 0 && IsNameCharacter(text[at - 1])) continue;
    std::size_t end = at + 2;
    while (end < text.size() && IsNameCharacter(text[end]))
      ++end;
    const std::string name(text.substr(at + 2, end - at - 2));
    if (name.empty() || std::find(known.begin(), known.end(), name) != known.end() ||
        std::find(strangers.begin(), strangers.end(), name) != strangers.end())
      continue;
    strangers.push_back(name);
    faults.push_back("the help text names --" + name + ", which is no option");
  }
  return faults;
}
