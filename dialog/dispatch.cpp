#include "dialog/vellora.h"
#include "resources/control_ids.h"

long Vellora::WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case WM_SOCKET_NOTIFY:
      return EvSocketNotify(wParam, lParam);
    case WM_HOST_LOOKUP_DONE:
      return EvHostLookupDone(wParam, lParam);
    case WM_TIMER:
      EvTimer(static_cast<unsigned>(wParam));
      return 0;
    case WM_ADDRESS_CHANGE:
      RefreshPcAddressList();
      return 0;
    default:
      return TDialog::WindowProc(message, wParam, lParam);
  }
}

void Vellora::EvCommand(unsigned id, bool fromControl, unsigned notifyCode) {
  if (fromControl && notifyCode == BN_CLICKED) DispatchButton(static_cast<int>(id));
  // Selection changes of the two drop-down lists reach their handlers through the base.
  TDialog::EvCommand(id, fromControl, notifyCode);
}

void Vellora::EvChildNotify(unsigned id, unsigned notifyCode) {
  const int control = static_cast<int>(id);
  if (control == IdPcIpCombo && notifyCode == CBN_DROPDOWN) EvPcListOpening();
  if (control == IdPcIpCombo && notifyCode == CBN_CLOSEUP) EvPcListClosed();
  if (notifyCode != CBN_SELCHANGE) return;
  if (control == IdPcIpCombo) {
    SelectPcAddress();
  } else if (control == IdGatewayCombo) {
    EvGatewaySelChange();
  }
}

void Vellora::DispatchButton(int id) {
  switch (id) {
    case IdSearchButton:
      CmSearch();
      break;
    case IdSetButton:
      CmSet();
      break;
    case IdRebootButton:
      CmReboot();
      break;
    case IdSetMacButton:
      CmSetMac();
      break;
    case IdSetIncrButton:
      CmSetAndIncr();
      break;
    case IdSetEepromButton:
      CmSetEeprom();
      break;
    case IdConnectButton:
      CmConnect();
      break;
    case IdClearListButton:
      CmClearList();
      break;
    case IdClearStatsButton:
      CmClearStats();
      break;
    case IdExpandButton:
      ToggleExpanded();
      break;
    default:
      break;  // check boxes only change their own mark
  }
}
