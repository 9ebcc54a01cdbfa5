#include "dialog/vellora.h"
#include "gateway/field_text.h"
#include "protocol/messages.h"

namespace {

constexpr std::uint32_t kLargestSerial = 16777215;  // 0xFFFFFF: the last three MAC bytes

}  // namespace

void Vellora::CmSetMac() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;
  std::uint8_t newMac[6];
  for (int i = 0; i < 6; ++i) {
    newMac[i] = static_cast<std::uint8_t>(ParseHex(Ws().GetDlgItemText(MacEditIds[i], 9)) & 0xFF);
  }
  const auto request = BuildSetMacRequest(GatewayList[index], newMac);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::CmSetAndIncr() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;

  std::uint8_t newMac[6];
  for (int i = 0; i < 3; ++i) {
    newMac[i] = static_cast<std::uint8_t>(ParseHex(Ws().GetDlgItemText(MacEditIds[i], 9)) & 0xFF);
  }
  SerialCounter = 0;
  for (int id : SerialEditIds) {
    SerialCounter = SerialCounter * 100 + ParseDecimal(Ws().GetDlgItemText(id, 9));
  }
  const std::uint32_t serial = SerialCounter;
  newMac[3] = static_cast<std::uint8_t>((serial >> 16) & 0xFF);
  newMac[4] = static_cast<std::uint8_t>((serial >> 8) & 0xFF);
  newMac[5] = static_cast<std::uint8_t>(serial & 0xFF);

  // The running number saturates at the largest serial and never wraps to 0.
  SerialCounter = SerialCounter < kLargestSerial ? SerialCounter + 1 : kLargestSerial;
  const std::string digits = Format("%08u", SerialCounter);
  for (int pair = 0; pair < 4; ++pair) {
    Ws().SetDlgItemText(SerialEditIds[pair], digits.substr(static_cast<std::size_t>(2 * pair), 2));
  }

  const auto request = BuildSetMacRequest(GatewayList[index], newMac);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::CmSetEeprom() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;
  const std::uint32_t address = ParseHex(Ws().GetDlgItemText(IdEepromAddressEdit, 9));
  const std::uint32_t value = ParseHex(Ws().GetDlgItemText(IdEepromValueEdit, 9));
  const auto request = BuildSetEepromRequest(GatewayList[index], address, value);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}
