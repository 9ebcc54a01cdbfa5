#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "gateway/command_outcome.h"
#include "gateway/label_check.h"
#include "gateway/new_mac_rules.h"
#include "gateway/settings_commands.h"
#include "platform/controls.h"
#include "platform/dialog.h"
#include "platform/log_file.h"
#include "platform/socket_layer.h"
#include "protocol/gateway_record.h"
#include "terminal/debug_list.h"
#include "terminal/terminal_connection.h"
#include "terminal/traffic_stats.h"
#include "udp/gateway_list.h"
#include "udp/search_wait.h"
#include "udp/udp_endpoint.h"

inline constexpr const char* kBanner = "Quenlan V1.11 18.07.2008";

// How the window starts: the PC address to choose, on its interface (without one the first
// listed), the expanded form, and a record on disk of every debug line and request sent.
struct StartOptions {
  std::optional<PcAddress> PcEntry;
  bool Expanded = false;
  TLogFile* Record = nullptr;
};

// Stands for the frame window; only asked whether the frame is minimised.
class TFrameAlias {
 public:
  explicit TFrameAlias(TWindowSystem& ws) : Ws(ws) {}
  bool IsIconic() const { return Ws.IsFrameIconic(); }

 private:
  TWindowSystem& Ws;
};

// The program's one window. It owns the controls and the components and keeps the handler of
// every event under its name. A handler reads the controls, asks a component, and writes the
// controls; the components report back through their listeners.
class Vellora : public TDialog,
                private UdpEndpoint::Listener,
                private TerminalConnection::Listener {
 public:
  Vellora(TWindowSystem& windowSystem, TSocketLayer& socketLayer, StartOptions options = {});
  ~Vellora() override;

  // --- Set-up, dispatch, window forms (dialog/setup_window.cpp, dispatch.cpp, window_forms.cpp)
  void SetupWindow() override;
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void EvCommand(unsigned id, bool fromControl, unsigned notifyCode) override;
  void DispatchButton(int id);
  void ToggleExpanded();
  void LockGatewaySelection(bool locked);

  // --- PC address (pc_address_handlers.cpp) ---
  void SelectPcAddress();
  // Reads the PC's addresses again; the choice stays while its entry exists.
  void RefreshPcAddressList();
  // The PC address list opens and closes; while it is open its entries stay as they are.
  void EvPcListOpening();
  void EvPcListClosed();

  // --- Discovery (discovery_handlers.cpp) ---
  void CmSearch();
  void ReceiveGatewayReply();

  // --- The selected gateway's record and its commands (record_handlers.cpp,
  // settings_handlers.cpp, production_handlers.cpp, label_check_handler.cpp) ---
  void EvGatewaySelChange();
  void ShowGatewayRecord(const GatewayRecord& record);
  void CmSet();
  void CmReboot();
  void CmSetMac();
  void CmSetAndIncr();
  void CmSetEeprom();
  void VerifyLabelMac();

  // --- Terminal, statistics, debug list, notifications (terminal_handlers.cpp,
  // statistics_handlers.cpp, debug_list_handlers.cpp, socket_notify.cpp) ---
  void CmConnect();
  void ReadTcpData();
  void EvTimer(unsigned timerId);
  void CmClearStats();
  void AddDebugLine(const char* text);
  void CmClearList();

 protected:
  void EvChildNotify(unsigned id, unsigned notifyCode) override;

 private:
  static constexpr unsigned kStatsTimerId = 2300;
  static constexpr unsigned kStatsTimerPeriod = 1000;

  // What the components report.
  void OnUdpMessage(const std::string& line) override;
  void OnDatagramWaiting() override { ReceiveGatewayReply(); }
  bool OnRequestLeaving(const PcAddress& from, std::span<const std::uint8_t> request) override;
  void OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) override;
  void OnTcpStateEntered(TcpState state) override;
  void OnTerminalMessage(const std::string& line) override;
  void OnTerminalLine(const char* line) override;
  void OnTerminalDataWaiting() override { ReadTcpData(); }

  // Shows the PC's addresses as the endpoint read them last, and takes the first address of a
  // PC that had none.
  void FollowPcAddresses();
  void ShowPcAddressList();
  void ShowPcAddressInCaption();
  void ShowBannerCaption();
  // The chosen entry is gone: no socket, no gateway, nothing of its network on screen.
  void DropPcAddress(ChoiceChange why, const PcAddress& lost);
  void ClearGatewayList();
  void ShowGatewayCount();
  // A search nobody answered: its lines, and the same as the count's tool tip.
  void ShowNoAnswer(const PcAddress& from);
  // The index of the gateway selected in the drop-down list; -1 when none is.
  int SelectedGateway() const;
  TypedSettings ReadSettingFields() const;
  // Sends the request, or logs the refusal and puts the focus on the field at fault.
  void SendOrRefuse(const CommandOutcome& outcome, std::span<const int> fieldIds);
  // Who answered the last search with a MAC: a new MAC must not be one of them.
  MacUser AnsweredMacs() const;

  StartOptions Options;

  // Control objects, children of the dialog, created in this order (the order in which the
  // dialog checks its fields before it closes).
  std::unique_ptr<TListBox> DebugListBox;
  std::unique_ptr<TStatic> StateText;
  std::unique_ptr<TButton> ConnectButton;
  std::unique_ptr<TComboBox> PcIpCombo;
  std::array<std::unique_ptr<TEdit>, 20> OctetEdits;
  std::unique_ptr<TEdit> PortEdit;
  std::unique_ptr<TEdit> NameEdit;
  std::unique_ptr<TEdit> ServerEdit;
  std::unique_ptr<TEdit> ProxyEdit;
  std::unique_ptr<TComboBox> GatewayCombo;
  std::unique_ptr<TButton> SearchButton;
  std::unique_ptr<TButton> SetMacButton;
  std::array<std::unique_ptr<TEdit>, 6> MacEdits;
  std::array<std::unique_ptr<TEdit>, 4> SerialEdits;
  std::unique_ptr<TButton> SetIncrButton;
  std::unique_ptr<TEdit> EepromValueEdit;
  std::unique_ptr<TEdit> EepromAddressEdit;
  std::unique_ptr<TButton> ExpandButton;
  std::unique_ptr<TEdit> LabelMacEdit;

  // The window's two forms.
  bool Collapsed = false;
  std::int32_t ExpandedWidth = 0, ExpandedHeight = 0;
  std::int32_t CollapsedWidth = 0, CollapsedHeight = 0;
  std::unique_ptr<TFrameAlias> FrameAlias;
  // The PC addresses as the drop-down list shows them: a pick means what the operator saw.
  PcAddressList ShownPcAddresses;
  bool PcListOpen = false;
  bool PcListStale = false;  // the addresses changed while the list was open
  // The frame's caption: the banner and the chosen PC address; the prefix of the terminal's
  // captions.
  std::string CaptionText;

  // Components.
  DebugList Debug;
  UdpEndpoint Udp;
  GatewayList Gateways;
  SearchWait SearchWaiting;
  TerminalConnection Terminal;
  TrafficStats Statistics;
  LabelCheck Label;
};
