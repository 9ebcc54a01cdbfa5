#include <cstring>

#include "dialog/vellora.h"

namespace {

constexpr const char* kMismatchText =
    "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' are "
    "different!\n\nPlease try again or remove module from production process!";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Six numbers of one or two hexadecimal digits, each optionally preceded by blanks.
bool ReadSixHexNumbers(const std::string& text, unsigned (&numbers)[6]) {
  std::size_t i = 0;
  for (unsigned& number : numbers) {
    while (i < text.size() && text[i] == ' ')
      ++i;
    int digits = 0;
    number = 0;
    while (digits < 2 && i < text.size() && HexDigit(text[i]) >= 0) {
      number = number * 16 + static_cast<unsigned>(HexDigit(text[i]));
      ++digits;
      ++i;
    }
    if (digits == 0) return false;
  }
  return true;
}

}  // namespace

void Vellora::VerifyLabelMac() {
  LabelMacEdit->SetFocus();
  const std::string text = LabelMacEdit->GetWindowText(49);
  if (text.size() != 12) {
    MacVerifyState = Idle;
    return;
  }
  if (MacVerifyState == Idle) {
    DispatchButton(IdSearchButton);
    MacVerifyState = SearchSent;
    return;
  }

  unsigned label[6];
  if (!ReadSixHexNumbers(text, label)) {
    MacVerifyState = Idle;
    return;
  }
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;  // no answer yet: compare at a later tick

  bool same = true;
  for (int i = 0; i < 6; ++i)
    same = same && label[i] == GatewayList[index].Mac[i];
  if (same) {
    Ws().MessageBox(true, "MAC is OK!", "MAC Verification", MB_OK | MB_ICONINFORMATION);
  } else {
    Ws().MessageBox(true, kMismatchText, "ERROR: MAC Verification", MB_OK | MB_ICONSTOP);
  }
  MacVerifyState = Idle;
  LabelMacEdit->SetWindowText("");
  LabelMacEdit->SetFocus();
}
