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
#include "platform/counter_file.h"
#include "platform/dialog.h"
#include "platform/event_loop.h"
#include "platform/log_file.h"
#include "platform/socket_layer.h"
#include "protocol/gateway_record.h"
#include "protocol/settings_fields.h"
#include "station/window_station.h"
#include "terminal/debug_list.h"
#include "terminal/terminal_connection.h"
#include "terminal/traffic_stats.h"
#include "udp/gateway_list.h"
#include "udp/search_wait.h"
#include "udp/udp_endpoint.h"

inline constexpr const char* kBanner = "Quenlan V1.11 18.07.2008";

// The line database the window works with: its CONNINFO (which holds no password), the
// station's name in the record, and the event loop its connection runs on.
struct LineStart {
  std::string Conninfo;
  std::string Station;
  TEventLoop* Loop = nullptr;
};

// How the window starts: the PC address to choose, on its interface (without one the first
// listed), the expanded form, and a record on disk of every debug line and request sent.
// Set && Incr. takes its serial number from the four edits as typed, or, with one of the two
// sources, from the counter file or the line database's pool; with the line database every
// write has its row.
struct StartOptions {
  std::optional<PcAddress> PcEntry;
  bool Expanded = false;
  TLogFile* Record = nullptr;
  TCounterFile* Counter = nullptr;
  std::optional<LineStart> Line;
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
  // Sends the request, or logs the refusal and puts the focus on the field at fault. With the
  // line database the write has its row, a `command` of the module's, stored before the
  // request leaves; `macAfter` is the MAC the write gives the module.
  void SendOrRefuse(const char* command, const GatewayRecord& module, const CommandOutcome& outcome,
                    std::span<TControl* const> fields,
                    const std::optional<MacAddress>& macAfter = {});

  // --- The station of a line (station_handlers.cpp): Set && Incr. from the counter file or
  // the pool, the rows of the writes ---
  // Gives the module the next number of the station's source.
  void GiveSerialNumber(const GatewayRecord& module);
  // The serial edits show the number the source gives next.
  void ShowNextSerial();
  // The window as a station's writes use it, from the PC address chosen now: its debug list,
  // its record and its socket. A request leaves only from that PC address.
  StationIo WriteIo();
  LinePlace WritePlace() const;
  // A line of the line database's (UTF-8) into the debug list.
  void SayFromTheLine(const std::string& line);
  // The label check's result, after its row (when there is one) is stored or was refused.
  void ShowLabelResult(bool match, bool stored);
  // Who answered the last search with a MAC: a new MAC must not be one of them.
  MacUser AnsweredMacs() const;

  StartOptions Options;

  // Makes a control object for the control `id`; the dialog owns it.
  template <class T, class... Args>
  T* Make(int id, Args&&... args) {
    auto control = std::make_unique<T>(this, id, std::forward<Args>(args)...);
    T* handle = control.get();
    Controls.push_back(std::move(control));
    return handle;
  }
  TEdit* RangeEdit(int id, int limit, long min, long max);
  TEdit* FilteredEdit(int id, int limit, const char* chars);

  // Typed handles of the controls, made once by the constructor in this order (the order in
  // which the dialog checks its fields before it closes). Handlers reach the controls through
  // these only.
  std::vector<std::unique_ptr<TControl>> Controls;
  TListBox* DebugListBox;
  TStatic* StateText;
  TButton* ConnectButton;
  TComboBox* PcIpCombo;
  std::array<TControl*, 4> ActualIpEdits{};
  // The settings' controls, part by part in the order of the settings table.
  std::array<TControl*, kSettingPartCount> SettingParts{};
  TControl* ServerEdit = nullptr;  // a settings part that only the expanded form enables
  TComboBox* GatewayCombo = nullptr;
  TStatic* GatewayCount = nullptr;
  TButton* SearchButton = nullptr;
  TButton* SetMacButton = nullptr;
  std::array<TControl*, 6> MacEdits{};
  std::array<TControl*, 4> SerialEdits{};  // the running serial number of "Set && Incr."
  std::array<TControl*, 4> SerialShown{};  // the selected module's serial number
  TButton* SetIncrButton = nullptr;
  TEdit* EepromValueEdit = nullptr;
  TEdit* EepromAddressEdit = nullptr;
  TButton* ExpandButton = nullptr;
  TEdit* LabelMacEdit = nullptr;
  TCheckBox* VerifyMacCheck = nullptr;
  // The traffic statistics.
  TStatic* SendRate = nullptr;
  TStatic* ReceiveRate = nullptr;
  TStatic* CommandRate = nullptr;
  TStatic* CommandTotal = nullptr;
  TStatic* ReceiveTotal = nullptr;
  TStatic* SendTotal = nullptr;

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
  bool LabelRowPending = false;  // a label check's row is being stored
  // The station of a line: the source of Set && Incr.'s numbers and, with the line database,
  // the rows. Last, so that it goes first: no answer of the database comes after the window.
  std::unique_ptr<WindowStation> Station;
};
