#include <algorithm>

#include "dialog/vellora.h"
#include "resources/dialog_11000.h"

namespace {

constexpr const char* kHexDigits = "01234567899abcdefABCDEF";
constexpr const char* kDecimalDigits = "0123456789";

std::unique_ptr<TEdit> FilteredEdit(TDialog* parent, int id, int limit, const char* chars) {
  auto edit = std::make_unique<TEdit>(parent, id, limit);
  edit->SetValidator(std::make_unique<TFilterValidator>(TCharSet(chars)));
  return edit;
}

std::unique_ptr<TEdit> RangeEdit(TDialog* parent, int id, int limit, long min, long max) {
  auto edit = std::make_unique<TEdit>(parent, id, limit);
  edit->SetValidator(std::make_unique<TRangeValidator>(min, max));
  return edit;
}

}  // namespace

Vellora::Vellora(TWindowSystem& windowSystem, TSocketLayer& socketLayer)
    : TDialog(windowSystem, MainDialogTemplate()), Sockets(socketLayer) {
  HostInfo = Sockets.NewHostInfoManager();
  LocalAddress = TINetSocketAddress();
  BroadcastAddress = TINetSocketAddress();
  TcpPeerAddress = TINetSocketAddress();

  std::copy(std::begin(kOctetEditIds), std::end(kOctetEditIds), OctetEditIds);
  std::copy(std::begin(kMacEditIds), std::end(kMacEditIds), MacEditIds);
  std::copy(std::begin(kSerialEditIds), std::end(kSerialEditIds), SerialEditIds);

  UdpState = UdpClosed;

  DebugList = std::make_unique<TListBox>(this, IdDebugList);
  StateText = std::make_unique<TStatic>(this, IdStateText);
  ConnectButton = std::make_unique<TButton>(this, IdConnectButton);
  PcIpCombo = std::make_unique<TComboBox>(this, IdPcIpCombo);
  for (int i = 0; i < 20; ++i)
    OctetEdits[i] = RangeEdit(this, OctetEditIds[i], 4, 0, 255);
  PortEdit = RangeEdit(this, IdPortEdit, 6, 0, 65535);
  NameEdit = std::make_unique<TEdit>(this, IdNameEdit, 21);
  ServerEdit = std::make_unique<TEdit>(this, IdServerEdit, 65);
  ProxyEdit = std::make_unique<TEdit>(this, IdProxyEdit, 65);
  GatewayCombo = std::make_unique<TComboBox>(this, IdGatewayCombo);
  SearchButton = std::make_unique<TButton>(this, IdSearchButton);
  SetMacButton = std::make_unique<TButton>(this, IdSetMacButton);
  for (int i = 0; i < 6; ++i)
    MacEdits[i] = FilteredEdit(this, MacEditIds[i], 3, kHexDigits);
  for (int i = 0; i < 4; ++i) {
    SerialEdits[i] = FilteredEdit(this, SerialEditIds[i], 3, kDecimalDigits);
  }
  SetIncrButton = std::make_unique<TButton>(this, IdSetIncrButton);

  SerialCounter = 0;

  EepromValueEdit = FilteredEdit(this, IdEepromValueEdit, 3, kHexDigits);
  EepromAddressEdit = FilteredEdit(this, IdEepromAddressEdit, 4, kHexDigits);
  ExpandButton = std::make_unique<TButton>(this, IdExpandButton);
  LabelMacEdit = std::make_unique<TEdit>(this, IdLabelMacEdit, 17);

  StatsTimerId = 2300;
  StatsTimerPeriod = 1000;
  BytesSent = BytesSentShown = 0;
  BytesReceived = BytesReceivedShown = 0;
  CommandsReceived = CommandsReceivedShown = 0;
  ReceiveLineLength = 0;
}

Vellora::~Vellora() {
  if (UdpSocket) UdpSocket->CloseSocket();
  // Abandons any look-up still running.
  HostInfo.reset();
}
