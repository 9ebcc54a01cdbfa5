#include <cstring>

#include "dialog/vellora.h"

namespace {

constexpr const char* kMismatchText =
    "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' are "
    "different!\n\nPlease try again or remove module from production process!";

}  // namespace

void Vellora::VerifyLabelMac() {
  // While the check runs, whatever is typed or scanned lands in the label field.
  LabelMacEdit->SetFocus();
  const std::string label = LabelMacEdit->GetWindowText();
  std::optional<MacAddress> selected;
  if (const int index = SelectedGateway(); index >= 0) {
    selected.emplace();
    std::memcpy(selected->data(), Gateways.At(index).Mac, selected->size());
  }
  switch (Label.Step(label, selected)) {
    case LabelCheck::Action::None:
      return;
    case LabelCheck::Action::Search:
      CmSearch();
      return;
    case LabelCheck::Action::ShowMatch:
      Ws().MessageBox(true, "MAC is OK!", "MAC Verification", MB_OK | MB_ICONINFORMATION);
      break;
    case LabelCheck::Action::ShowMismatch:
      Ws().MessageBox(true, kMismatchText, "ERROR: MAC Verification", MB_OK | MB_ICONSTOP);
      break;
  }
  // Ready for the next module's label.
  LabelMacEdit->SetWindowText("");
  LabelMacEdit->SetFocus();
}
