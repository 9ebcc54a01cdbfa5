#include "tests/e2e/window_operator.h"

#include <algorithm>

#include "resources/control_ids.h"

void WindowOperator::Enter(Phase next) {
  Now = next;
  Since = Clock::now();
}

bool WindowOperator::SaidSince(const std::string& text) const {
  const std::vector<std::string> lines = Program.DebugLines();
  return std::any_of(lines.begin() + static_cast<long>(std::min(LinesBefore, lines.size())),
                     lines.end(),
                     [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

void WindowOperator::Fail(const std::string& why) {
  ++Failed;
  Failures += why + ":\n";
  const std::vector<std::string> lines = Program.DebugLines();
  for (std::size_t i = std::min(LinesBefore, lines.size()); i < lines.size(); ++i)
    Failures += "  " + lines[i] + "\n";
  if (Now == Phase::Checking) Program.Click(IdVerifyMacCheck);  // the check off again
  Expected.clear();
  Enter(Phase::Search);
}

void WindowOperator::Step() {
  switch (Now) {
    case Phase::Search:
      if (Expected.empty()) LinesBefore = Program.DebugLines().size();
      Program.Click(IdSearchButton);
      return Enter(Phase::Listed);
    case Phase::Listed: {
      const std::vector<std::string> listed = Program.Combo(IdGatewayCombo);
      if (listed.size() == 1 && (Expected.empty() || listed[0] == Expected))
        return Enter(Expected.empty() ? Phase::Give : Phase::Eeprom);
      if (Waited(5)) Enter(Phase::Search);  // searched again, for the same step
      return;
    }
    case Phase::Give:
      for (std::size_t i = 0; i < Prefix.size(); ++i)
        Program.Replace(kMacEditIds[i], QString::fromLatin1(Prefix[i]));
      Program.Click(IdSetIncrButton);
      return Enter(Phase::Giving);
    case Phase::Giving:
      if (const std::string line = Bench.TakeLine("rx", {"cmd=SetMacRequest"}, 0); !line.empty()) {
        SetMacs.push_back(line);
        Expected = Field(line, "new-mac");
        return Enter(Phase::Search);
      }
      if (SaidSince(" not sent") || SaidSince(" in use")) return Fail("Set & Incr. not sent");
      if (Waited(30)) Fail("Set & Incr. did nothing within 30 s");
      return;
    case Phase::Eeprom:
      Program.Replace(IdEepromAddressEdit, QStringLiteral("1F0"));
      Program.Replace(IdEepromValueEdit, QStringLiteral("A5"));
      Program.Click(IdSetEepromButton);
      return Enter(Phase::EepromSent);
    case Phase::EepromSent:
      if (const std::string line = Bench.TakeLine("rx", {"cmd=SetEepromRequest"}, 0);
          !line.empty()) {
        Eeproms.push_back(line);
        return Enter(Phase::Label);
      }
      if (SaidSince("SetEepromRequest not sent")) return Fail("Set EEPROM value not sent");
      if (Waited(30)) Fail("Set EEPROM value did nothing within 30 s");
      return;
    case Phase::Label: {
      // The scanner types the label's twelve digits.
      std::string label = Expected;
      std::erase(label, ' ');
      Program.Replace(IdLabelMacEdit, QString::fromStdString(label));
      Boxes = Program.Boxes.size();
      Program.Click(IdVerifyMacCheck);
      return Enter(Phase::Checking);
    }
    case Phase::Checking:
      if (Program.Boxes.size() > Boxes) {
        if (Program.Boxes.back().Text != "MAC is OK!") return Fail(Program.Boxes.back().Text);
        // A row that was not stored or not moved on fails the cycle, as it fails vellora-cli.
        if (SaidSince("could not be set to") || SaidSince("not in the line database"))
          return Fail("a row was not moved on");
        Program.Click(IdVerifyMacCheck);
        std::string mac = Expected;
        std::replace(mac.begin(), mac.end(), ' ', ':');
        Made.push_back(mac);
        Expected.clear();
        return Enter(Phase::Search);
      }
      if (Waited(30)) Fail("the label check did nothing within 30 s");
      return;
  }
}
