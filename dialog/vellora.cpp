#include "dialog/vellora.h"

#include "resources/control_ids.h"
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

Vellora::Vellora(TWindowSystem& windowSystem, TSocketLayer& socketLayer, StartOptions options)
    : TDialog(windowSystem, MainDialogTemplate()),
      Options(options),
      DebugListBox(std::make_unique<TListBox>(this, IdDebugList)),
      StateText(std::make_unique<TStatic>(this, IdStateText)),
      ConnectButton(std::make_unique<TButton>(this, IdConnectButton)),
      PcIpCombo(std::make_unique<TComboBox>(this, IdPcIpCombo)),
      Debug(*DebugListBox),
      Udp(socketLayer, *this),
      Terminal(socketLayer, *this) {
  for (std::size_t i = 0; i < OctetEdits.size(); ++i)
    OctetEdits[i] = RangeEdit(this, kOctetEditIds[i], 4, 0, 255);
  PortEdit = RangeEdit(this, IdPortEdit, 6, 0, 65535);
  NameEdit = std::make_unique<TEdit>(this, IdNameEdit, 21);
  ServerEdit = std::make_unique<TEdit>(this, IdServerEdit, 65);
  ProxyEdit = std::make_unique<TEdit>(this, IdProxyEdit, 65);
  GatewayCombo = std::make_unique<TComboBox>(this, IdGatewayCombo);
  SearchButton = std::make_unique<TButton>(this, IdSearchButton);
  SetMacButton = std::make_unique<TButton>(this, IdSetMacButton);
  for (std::size_t i = 0; i < MacEdits.size(); ++i)
    MacEdits[i] = FilteredEdit(this, kMacEditIds[i], 3, kHexDigits);
  for (std::size_t i = 0; i < SerialEdits.size(); ++i)
    SerialEdits[i] = FilteredEdit(this, kSerialEditIds[i], 3, kDecimalDigits);
  SetIncrButton = std::make_unique<TButton>(this, IdSetIncrButton);
  EepromValueEdit = FilteredEdit(this, IdEepromValueEdit, 3, kHexDigits);
  EepromAddressEdit = FilteredEdit(this, IdEepromAddressEdit, 4, kHexDigits);
  ExpandButton = std::make_unique<TButton>(this, IdExpandButton);
  LabelMacEdit = std::make_unique<TEdit>(this, IdLabelMacEdit, 17);
}

Vellora::~Vellora() = default;
