#include "dialog/vellora.h"
#include "gateway/production_commands.h"
#include "resources/control_ids.h"

namespace {

// Edit texts by id, read as the commands read them.
template <std::size_t N>
std::array<std::string, N> Texts(const TWindowSystem& ws, std::span<const int, N> ids) {
  std::array<std::string, N> texts;
  for (std::size_t i = 0; i < N; ++i)
    texts[i] = ws.GetDlgItemText(ids[i], 9);
  return texts;
}

}  // namespace

MacUser Vellora::AnsweredMacs() const {
  return [this](const MacAddress& mac) { return Gateways.UserOf(mac); };
}

void Vellora::CmSetMac() {
  const int index = SelectedGateway();
  if (index < 0) return;
  const auto mac = Texts(Ws(), std::span(kMacEditIds));
  SendOrRefuse(SetMacCommand(Gateways.At(index), mac, AnsweredMacs()), kMacEditIds);
}

void Vellora::CmSetAndIncr() {
  const int index = SelectedGateway();
  if (index < 0) return;
  const std::span<const int, 3> macStart(kMacEditIds, 3);
  const auto outcome = SetAndIncrCommand(Gateways.At(index), Texts(Ws(), macStart),
                                         Texts(Ws(), std::span(kSerialEditIds)), AnsweredMacs());
  const int fields[7] = {kMacEditIds[0],    kMacEditIds[1],    kMacEditIds[2],   kSerialEditIds[0],
                         kSerialEditIds[1], kSerialEditIds[2], kSerialEditIds[3]};
  if (outcome.Command.Refused) {
    SendOrRefuse(outcome.Command, fields);
    return;
  }
  // Recorded, then advanced, then sent: a failed send can skip a number but never give one
  // twice, and a number whose line the record could not take is not used up.
  if (!Udp.PrepareRequest(outcome.Command.Request)) return;
  for (std::size_t pair = 0; pair < outcome.NextSerial.size(); ++pair)
    Ws().SetDlgItemText(kSerialEditIds[pair], outcome.NextSerial[pair]);
  Udp.TransmitRequest(outcome.Command.Request);
}

void Vellora::CmSetEeprom() {
  const int index = SelectedGateway();
  if (index < 0) return;
  const int fields[2] = {IdEepromAddressEdit, IdEepromValueEdit};
  SendOrRefuse(SetEepromCommand(Gateways.At(index), Ws().GetDlgItemText(IdEepromAddressEdit, 9),
                                Ws().GetDlgItemText(IdEepromValueEdit, 9)),
               fields);
}
