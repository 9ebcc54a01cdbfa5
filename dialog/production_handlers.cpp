#include "dialog/vellora.h"
#include "gateway/field_text.h"
#include "gateway/production_commands.h"

namespace {

// The texts of edits, as the commands read them.
template <std::size_t N>
std::array<std::string, N> Texts(std::span<TControl*, N> edits) {
  std::array<std::string, N> texts;
  for (std::size_t i = 0; i < N; ++i)
    texts[i] = edits[i]->GetWindowText();
  return texts;
}

}  // namespace

MacUser Vellora::AnsweredMacs() const {
  return [this](const MacAddress& mac) { return Gateways.UserOf(mac); };
}

void Vellora::CmSetMac() {
  const int index = SelectedGateway();
  if (index < 0) return;
  const std::array<std::string, 6> typed = Texts(std::span(MacEdits));
  const CommandOutcome outcome = SetMacCommand(Gateways.At(index), typed, AnsweredMacs());
  // The row names the MAC typed, also when it is refused.
  std::optional<MacAddress> macAfter = MacAddress{};
  for (std::size_t i = 0; i < typed.size() && macAfter; ++i) {
    const std::optional<std::uint32_t> byte = ReadHex(typed[i]);
    if (byte)
      (*macAfter)[i] = static_cast<std::uint8_t>(*byte);
    else
      macAfter.reset();
  }
  SendOrRefuse("set-mac", Gateways.At(index), outcome, MacEdits, macAfter);
}

void Vellora::CmSetAndIncr() {
  const int index = SelectedGateway();
  if (index < 0) return;
  if (Station) return GiveSerialNumber(Gateways.At(index));
  const auto outcome = SetAndIncrCommand(Gateways.At(index), Texts(std::span(MacEdits).first<3>()),
                                         Texts(std::span(SerialEdits)), AnsweredMacs());
  TControl* const fields[7] = {MacEdits[0],    MacEdits[1],    MacEdits[2],   SerialEdits[0],
                               SerialEdits[1], SerialEdits[2], SerialEdits[3]};
  if (outcome.Command.Refused) {
    SendOrRefuse("assign", Gateways.At(index), outcome.Command, fields);
    return;
  }
  // Recorded, then advanced, then sent: a failed send can skip a number but never give one
  // twice, and a number whose line the record could not take is not used up.
  if (!Udp.PrepareRequest(outcome.Command.Request)) return;
  for (std::size_t pair = 0; pair < outcome.NextSerial.size(); ++pair)
    SerialEdits[pair]->SetWindowText(outcome.NextSerial[pair]);
  Udp.TransmitRequest(outcome.Command.Request);
}

void Vellora::CmSetEeprom() {
  const int index = SelectedGateway();
  if (index < 0) return;
  TControl* const fields[2] = {EepromAddressEdit, EepromValueEdit};
  SendOrRefuse("eeprom", Gateways.At(index),
               SetEepromCommand(Gateways.At(index), EepromAddressEdit->GetWindowText(),
                                EepromValueEdit->GetWindowText()),
               fields);
}
