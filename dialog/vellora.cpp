#include "dialog/vellora.h"

#include "resources/control_ids.h"
#include "resources/dialog_11000.h"

namespace {

constexpr const char* kHexDigits = "01234567899abcdefABCDEF";
constexpr const char* kDecimalDigits = "0123456789";

}  // namespace

TEdit* Vellora::RangeEdit(int id, int limit, long min, long max) {
  TEdit* edit = Make<TEdit>(id, limit);
  edit->SetValidator(std::make_unique<TRangeValidator>(min, max));
  return edit;
}

TEdit* Vellora::FilteredEdit(int id, int limit, const char* chars) {
  TEdit* edit = Make<TEdit>(id, limit);
  edit->SetValidator(std::make_unique<TFilterValidator>(TCharSet(chars)));
  return edit;
}

Vellora::Vellora(TWindowSystem& windowSystem, TSocketLayer& socketLayer, StartOptions options)
    : TDialog(windowSystem, MainDialogTemplate()),
      Options(options),
      DebugListBox(Make<TListBox>(IdDebugList)),
      StateText(Make<TStatic>(IdStateText)),
      ConnectButton(Make<TButton>(IdConnectButton)),
      PcIpCombo(Make<TComboBox>(IdPcIpCombo)),
      Debug(*DebugListBox),
      Udp(socketLayer, *this),
      Terminal(socketLayer, *this) {
  for (std::size_t k = 0; k < ActualIpEdits.size(); ++k)
    ActualIpEdits[k] = RangeEdit(kActualIpEditIds[k], 4, 0, 255);
  for (std::size_t f = 0; f < kSettingFields.size(); ++f) {
    const SettingField& field = kSettingFields[f];
    for (int k = 0; k < field.Parts(); ++k) {
      const int id = field.ControlId - k;  // an address's octets stand one below the other
      TControl*& part = SettingParts[FirstPartOf(f) + static_cast<std::size_t>(k)];
      switch (field.Kind) {
        case SettingKind::Address:
          part = RangeEdit(id, field.TextLimit, 0, 255);
          break;
        case SettingKind::Port:
          part = RangeEdit(id, field.TextLimit, 0, 65535);
          break;
        case SettingKind::Text:
          part = Make<TEdit>(id, field.TextLimit);
          break;
        case SettingKind::Flag:
          part = Make<TCheckBox>(id);
          break;
      }
    }
  }
  ServerEdit = SettingParts[FirstPartOf(SettingIndex("server"))];
  GatewayCombo = Make<TComboBox>(IdGatewayCombo);
  GatewayCount = Make<TStatic>(IdGatewayCount);
  SearchButton = Make<TButton>(IdSearchButton);
  SetMacButton = Make<TButton>(IdSetMacButton);
  for (std::size_t i = 0; i < MacEdits.size(); ++i)
    MacEdits[i] = FilteredEdit(kMacEditIds[i], 3, kHexDigits);
  for (std::size_t i = 0; i < SerialEdits.size(); ++i)
    SerialEdits[i] = FilteredEdit(kSerialEditIds[i], 3, kDecimalDigits);
  for (std::size_t i = 0; i < SerialShown.size(); ++i)
    SerialShown[i] = Make<TEdit>(kSerialShownIds[i]);
  SetIncrButton = Make<TButton>(IdSetIncrButton);
  EepromValueEdit = FilteredEdit(IdEepromValueEdit, 3, kHexDigits);
  EepromAddressEdit = FilteredEdit(IdEepromAddressEdit, 4, kHexDigits);
  ExpandButton = Make<TButton>(IdExpandButton);
  LabelMacEdit = Make<TEdit>(IdLabelMacEdit, 17);
  VerifyMacCheck = Make<TCheckBox>(IdVerifyMacCheck);
  SendRate = Make<TStatic>(IdSendRate);
  ReceiveRate = Make<TStatic>(IdReceiveRate);
  CommandRate = Make<TStatic>(IdCommandRate);
  CommandTotal = Make<TStatic>(IdCommandTotal);
  ReceiveTotal = Make<TStatic>(IdReceiveTotal);
  SendTotal = Make<TStatic>(IdSendTotal);
  if (Options.Counter) {
    Station = std::make_unique<WindowStation>(*Options.Counter);
  } else if (Options.Line && Options.Line->Loop) {
    Station = std::make_unique<WindowStation>(*Options.Line->Loop, Options.Line->Conninfo,
                                              Options.Line->Station);
  }
}

Vellora::~Vellora() = default;
