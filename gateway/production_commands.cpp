#include "dialog/vellora.h"
#include "gateway/field_text.h"
#include "gateway/serial_number.h"
#include "protocol/messages.h"

bool Vellora::RefuseEmptyField(const char* command, const std::string& field, int id) {
  AddDebugLine(Format("Vellora: %s not sent, %s is empty", command, field.c_str()).c_str());
  Ws().SetFocus(id);
  return false;
}

bool Vellora::ReadMacEdits(const char* command, int count, std::uint8_t* mac) {
  for (int i = 0; i < count; ++i) {
    const auto value = ReadHex(Ws().GetDlgItemText(MacEditIds[i], 9));
    if (!value) return RefuseEmptyField(command, Format("MAC byte %d", i + 1), MacEditIds[i]);
    mac[i] = static_cast<std::uint8_t>(*value & 0xFF);
  }
  return true;
}

void Vellora::CmSetMac() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;
  std::uint8_t newMac[6];
  if (!ReadMacEdits("Set MAC", 6, newMac)) return;
  const auto request = BuildSetMacRequest(GatewayList[index], newMac);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::CmSetAndIncr() {
  constexpr const char* kCommand = "Set & Incr.";
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;

  std::uint8_t newMac[6];
  if (!ReadMacEdits(kCommand, 3, newMac)) return;
  std::array<std::uint32_t, 4> pairs{};
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const auto pair = ReadDecimal(Ws().GetDlgItemText(SerialEditIds[i], 9));
    if (!pair) {
      RefuseEmptyField(kCommand, Format("new serial number pair %zu", i + 1), SerialEditIds[i]);
      return;
    }
    pairs[i] = *pair;
  }
  const SerialNumber serial = SerialNumber::FromPairs(pairs);
  if (!serial.CanBeGiven()) {
    AddDebugLine(Format("Vellora: %s not sent, serial number %llu is above the largest, %u "
                        "(FF FF FF)",
                        kCommand, static_cast<unsigned long long>(serial.Value()),
                        SerialNumber::kLargest)
                     .c_str());
    Ws().SetFocus(SerialEditIds[0]);
    return;
  }
  SerialCounter = static_cast<std::uint32_t>(serial.Value());
  const auto low = serial.MacBytes();
  std::copy(low.begin(), low.end(), newMac + 3);

  // Advanced before the request leaves, so that a failed send can skip a number but never
  // give one twice.
  const auto next = serial.Next().Pairs();
  for (std::size_t pair = 0; pair < next.size(); ++pair)
    Ws().SetDlgItemText(SerialEditIds[pair], next[pair]);

  const auto request = BuildSetMacRequest(GatewayList[index], newMac);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::CmSetEeprom() {
  constexpr const char* kCommand = "Set EEPROM value";
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;
  const auto address = ReadHex(Ws().GetDlgItemText(IdEepromAddressEdit, 9));
  if (!address) {
    RefuseEmptyField(kCommand, "EEPROM address", IdEepromAddressEdit);
    return;
  }
  const auto value = ReadHex(Ws().GetDlgItemText(IdEepromValueEdit, 9));
  if (!value) {
    RefuseEmptyField(kCommand, "EEPROM value", IdEepromValueEdit);
    return;
  }
  const auto request = BuildSetEepromRequest(GatewayList[index], *address, *value);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}
