
#include <memory>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/line_options.h"
#include "cli/line_record.h"
#include "cli/record_text.h"
#include "gateway/label_check.h"
#include "udp/search_wait.h"

namespace {

// As the window says it when a search goes unanswered.
void SayNobodyAnswered(Session& session) {
  session.Refresh();  // the carrier as it is now
  for (const std::string& line : SearchWait::NoAnswerLines(session.Entry()))
    session.Say(line);
}

}  // namespace

int SearchCommand(const std::vector<std::string>& words) {
  CommonOptions common;
  bool json = false;
  CommandLine line("vellora-cli search");
  common.AddTo(line);
  line.Flag("json", json, "one JSON object per module and line");
  if (const auto exit = ParseCommand(line, words)) return *exit;
  if (!line.Positional().empty())
    return BadUsage(line, "unexpected argument '" + line.Positional()[0] + "'");
  Started started;
  if (const auto exit = Start(common, line, started)) return *exit;

  Session& session = *started.Run;
  const FoundModules& answered = session.Search({common.Wait(), nullptr});
  for (int i = 0; i < answered.Count(); ++i)
    if (!session.Print((json ? RecordJson : RecordLine)(answered.At(i)))) break;
  if (answered.Count() == 0) SayNobodyAnswered(session);
  return session.Finish(answered.Count() > 0 ? kDone : kNotDone);
}

int VerifyCommand(const std::vector<std::string>& words) {
  CommonOptions common;
  LineOptions lineOptions;
  bool lineNamed = false;
  CommandLine line("vellora-cli verify", "LABEL");
  common.AddTo(line);
  lineOptions.AddTo(line);
  if (const auto exit = ParseCommand(line, words)) return *exit;
  if (line.Positional().size() != 1) return BadUsage(line, "give the label's MAC, one word");
  // The label as the window's label check reads it: twelve characters, six hexadecimal numbers.
  const std::string& read = line.Positional()[0];
  const std::optional<MacAddress> label = LabelCheck::LabelMac(read);
  if (!label)
    return BadUsage(line, "'" + read + "' is not a label's MAC: twelve hexadecimal characters");
  if (const auto exit = lineOptions.ResolveIfNamed(line, lineNamed)) return *exit;
  Started started;
  if (const auto exit = Start(common, line, started)) return *exit;

  Session& session = *started.Run;
  std::unique_ptr<LineRecord> record;
  if (lineNamed) {
    record = std::make_unique<LineRecord>(session, lineOptions);
    record->Open();
  }
  const FoundModules& answered = session.Search(
      {common.Wait(), [&](const FoundModules& found) { return found.Find(*label) != nullptr; }});
  if (const GatewayRecord* module = answered.Find(*label)) {
    // The result is in the records before it is shown: a label check nobody can find later
    // did not happen for the line.
    if (record && !record->LabelChecked(read, MacOf(*module), true, {}))
      return session.Finish(kNotDone);
    if (!session.NoteDurably("vellora-cli: verify " + read + ": MAC is OK! " + ColonMac(*label) +
                             " answered"))
      return session.Finish(kNotDone);
    session.Print("MAC is OK! " + RecordLine(*module));
    return session.Finish(kDone);
  }
  const std::string wrong = "no module with the label's MAC " + ColonMac(*label) + " answered; " +
                            std::to_string(answered.Count()) + " other module(s) did";
  session.Say("vellora-cli: " + wrong);
  // The MAC found is the bench's one module, when only one answered.
  if (record) {
    record->LabelChecked(
        read, answered.Count() == 1 ? std::optional(MacOf(answered.At(0))) : std::nullopt, false,
        wrong);
  }
  return session.Finish(kNotDone);
}
