#include "dialog/vellora.h"
#include "protocol/text_values.h"

namespace {

constexpr const char* kMismatchText =
    "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' are "
    "different!\n\nPlease try again or remove module from production process!";
constexpr const char* kNotStoredText =
    "The label check could not be stored in the line database (the debug list says why).\n\n"
    "Please check the label again.";

}  // namespace

void Vellora::VerifyLabelMac() {
  // While a check's row is being stored, the check waits for it.
  if (LabelRowPending) return;
  // While the check runs, whatever is typed or scanned lands in the label field.
  LabelMacEdit->SetFocus();
  const std::string label = LabelMacEdit->GetWindowText();
  std::optional<MacAddress> selected;
  if (const int index = SelectedGateway(); index >= 0) selected = MacOf(Gateways.At(index));
  const LabelCheck::Action action = Label.Step(label, selected);
  if (action == LabelCheck::Action::None) return;
  if (action == LabelCheck::Action::Search) return CmSearch();
  const bool match = action == LabelCheck::Action::ShowMatch;
  if (!Station || !Station->Recording()) return ShowLabelResult(match, true);
  // With the line database the result is in the record before it is shown.
  std::string reason;
  if (!match) {
    const std::optional<MacAddress> labelMac = LabelCheck::LabelMac(label);
    reason = !selected  ? "no module answered the search"
             : labelMac ? "the label's MAC " + ColonMac(*labelMac) +
                              " is not the MAC of the module " + ColonMac(*selected)
                        : "the label is no MAC";
  }
  LabelRowPending = true;
  Station->LabelChecked(label, selected, match, reason, WriteIo(), WritePlace(),
                        [this, match](bool stored) {
                          // The box is a nested loop whose ticks must not check again.
                          ShowLabelResult(match, stored);
                          LabelRowPending = false;
                        });
}

void Vellora::ShowLabelResult(bool match, bool stored) {
  if (match && stored) {
    Ws().MessageBox(true, "MAC is OK!", "MAC Verification", MB_OK | MB_ICONINFORMATION);
  } else if (match) {
    Ws().MessageBox(true, kNotStoredText, "ERROR: MAC Verification", MB_OK | MB_ICONSTOP);
  } else {
    Ws().MessageBox(true, kMismatchText, "ERROR: MAC Verification", MB_OK | MB_ICONSTOP);
  }
  // Ready for the next module's label.
  LabelMacEdit->SetWindowText("");
  LabelMacEdit->SetFocus();
}
