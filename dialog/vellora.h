#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/controls.h"
#include "platform/dialog.h"
#include "platform/socket_layer.h"
#include "protocol/gateway_record.h"
#include "resources/control_ids.h"
#include "udp/pc_address_list.h"

// States of the UDP endpoint, the TCP terminal and the label MAC check.
enum : std::int32_t { UdpClosed = 0, UdpBound = 1, UdpReady = 2 };
enum : std::int32_t { TcpIdle = 0, TcpLookingUp = 1, TcpConnecting = 2, TcpConnected = 3 };
enum : std::int32_t { Idle = 0, SearchSent = 1 };

inline constexpr int kMaxGateways = 20;
inline constexpr const char* kBanner = "Quenlan V1.11 18.07.2008";

// Stands for the frame window; only asked whether the frame is minimised.
class TFrameAlias {
 public:
  explicit TFrameAlias(TWindowSystem& ws) : Ws(ws) {}
  bool IsIconic() const { return Ws.IsFrameIconic(); }

 private:
  TWindowSystem& Ws;
};

// The program's one window and the owner of all its state. Every operation is a member; the
// definitions are spread over dialog/, udp/, gateway/ and terminal/ by concern.
class Vellora : public TDialog {
 public:
  Vellora(TWindowSystem& windowSystem, TSocketLayer& socketLayer);
  ~Vellora() override;

  // --- dialog/: set-up, dispatch, window forms ---
  void SetupWindow() override;
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void EvCommand(unsigned id, bool fromControl, unsigned notifyCode) override;
  void DispatchButton(int id);
  void ToggleExpanded();
  void LockGatewaySelection(bool locked);

  // --- udp/: PC address, endpoint, discovery ---
  void SelectPcAddress();
  // Reads the PC's addresses again; the choice stays while its address exists.
  void RefreshPcAddressList();
  bool ReadPcAddresses();
  void ShowPcAddressInCaption();
  // The chosen address is gone: no socket, no gateway, nothing of its network on screen.
  void DropPcAddress();
  bool OpenUdpEndpoint(const char* addressText, const char* portText);
  void CloseUdpEndpoint();
  bool SendDatagram(const std::uint8_t* bytes, int count);
  void ReceiveGatewayReply();
  void ClearGatewayList();
  void CmSearch();
  bool SendSearchRequest();
  // One timer tick of the wait for the first reply to a search.
  void NoteUnansweredSearch();
  void AddGatewayReply(const GatewayRecord& record, const char* macText);

  // --- gateway/: record and fields, commands, label check ---
  void ShowGatewayRecord(const GatewayRecord& record);
  void EvGatewaySelChange();
  void ReadGatewayFields(int index);
  void CmSet();
  void CmReboot();
  void CmSetMac();
  void CmSetAndIncr();
  void CmSetEeprom();
  // Logs why the command sent nothing and puts the focus on the field; yields false.
  bool RefuseEmptyField(const char* command, const std::string& field, int id);
  bool ReadMacEdits(const char* command, int count, std::uint8_t* mac);
  void VerifyLabelMac();

  // --- terminal/: TCP connection, receive path, statistics, debug list, notifications ---
  void CmConnect();
  void StartTcpConnect();
  void CreateTcpSocket();
  void EnterTcpIdle();
  void EnterTcpLookingUp();
  void EnterTcpConnecting();
  void EnterTcpConnected();
  void ReadTcpData();
  void EvTimer(unsigned timerId);
  void CmClearStats();
  void AddDebugLine(const char* text);
  void CmClearList();
  long EvSocketNotify(std::uintptr_t wParam, std::intptr_t lParam);
  long EvHostLookupDone(std::uintptr_t wParam, std::intptr_t lParam);

  // --- State. Used directly by the operations above; tests read it too. ---
  TSocketLayer& Sockets;

  // Control objects, children of the dialog, created in this order by the constructor.
  std::unique_ptr<TListBox> DebugList;
  std::unique_ptr<TStatic> StateText;
  std::unique_ptr<TButton> ConnectButton;
  std::unique_ptr<TComboBox> PcIpCombo;
  std::unique_ptr<TEdit> OctetEdits[20];
  std::unique_ptr<TEdit> PortEdit;
  std::unique_ptr<TEdit> NameEdit;
  std::unique_ptr<TEdit> ServerEdit;
  std::unique_ptr<TEdit> ProxyEdit;
  std::unique_ptr<TComboBox> GatewayCombo;
  std::unique_ptr<TButton> SearchButton;
  std::unique_ptr<TButton> SetMacButton;
  std::unique_ptr<TEdit> MacEdits[6];
  std::unique_ptr<TEdit> SerialEdits[4];
  std::unique_ptr<TButton> SetIncrButton;
  std::unique_ptr<TEdit> EepromValueEdit;
  std::unique_ptr<TEdit> EepromAddressEdit;
  std::unique_ptr<TButton> ExpandButton;
  std::unique_ptr<TEdit> LabelMacEdit;

  int OctetEditIds[20];
  int MacEditIds[6];
  int SerialEditIds[4];

  bool Collapsed = false;
  std::int32_t ExpandedWidth = 0, ExpandedHeight = 0;
  std::int32_t CollapsedWidth = 0, CollapsedHeight = 0;
  std::unique_ptr<TFrameAlias> FrameAlias;

  THostEntry HostEntry;
  PcAddressList PcAddresses;
  std::optional<std::uint32_t> ChosenAddress;  // network order
  bool AddressEverChosen = false;
  std::unique_ptr<TAddressWatch> AddressWatch;
  std::int32_t PcAddressIndex = 0;
  char CaptionText[255] = {};
  std::unique_ptr<THostInfoManager> HostInfo;
  TINetSocketAddress LocalAddress;
  std::unique_ptr<TDatagramSocket> UdpSocket;
  std::int32_t UdpState = UdpClosed;
  TINetSocketAddress BroadcastAddress;

  GatewayRecord GatewayList[kMaxGateways] = {};
  std::int32_t GatewayCount = 0;
  // Timer ticks since a search left without a reply yet; -1 when none is waited for.
  int UnansweredSearchTicks = -1;

  std::uint32_t SerialCounter = 0;
  std::int32_t MacVerifyState = Idle;

  std::int32_t TcpState = TcpIdle;
  std::unique_ptr<TStreamSocket> TcpSocket;
  TINetSocketAddress TcpPeerAddress;
  char ReceiveLine[300] = {};
  std::int32_t ReceiveLineLength = 0;

  std::uint32_t StatsTimerId = 0;
  std::uint32_t StatsTimerPeriod = 0;
  std::uint32_t BytesSent = 0, BytesSentShown = 0;
  std::uint32_t BytesReceived = 0, BytesReceivedShown = 0;
  std::uint32_t CommandsReceived = 0, CommandsReceivedShown = 0;

 protected:
  void EvChildNotify(unsigned id, unsigned notifyCode) override;
};
