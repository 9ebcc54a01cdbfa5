#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/socket_layer.h"
#include "terminal/line_cutter.h"
#include "terminal/traffic_stats.h"

enum class TcpState { Idle, LookingUp, Connecting, Connected };

// The terminal: a receive-only TCP connection from the chosen PC address to a module's port
// 80, whose text lines go to the debug list. Each choice of PC address gives it a new socket
// object; the system socket inside is made at each connect and closed at each return to idle.
class TerminalConnection {
 public:
  class Listener {
   public:
    // The connection has entered the state; the window shows it.
    virtual void OnTcpStateEntered(TcpState state) = 0;
    // The connection's own message, or a line the module sent, for the debug list.
    virtual void OnTerminalMessage(const std::string& line) = 0;
    virtual void OnTerminalLine(const char* line) = 0;

   protected:
    ~Listener() = default;
  };

  // Notifications of the socket and of a look-up go to the window; the look-up manager is
  // shared with the UDP endpoint.
  TerminalConnection(TSocketLayer& sockets, THostInfoManager& hostInfo, TMessageTarget& window,
                     Listener& listener);
  ~TerminalConnection();
  TerminalConnection(const TerminalConnection&) = delete;
  TerminalConnection& operator=(const TerminalConnection&) = delete;

  TcpState State() const { return Current; }
  const TINetSocketAddress& Peer() const { return PeerAddress; }

  // A connection whose module stops answering (power or cable lost) ends after this long,
  // though the terminal sends nothing.
  static constexpr int kDeadPeerSeconds = 20;

  // A new socket object on the PC's address on its interface: a connection can leave only on
  // that wire. An open connection ends first, so that its state and the new socket stay in
  // step.
  void NewSocket(const TInterfaceAddress& local);
  // Ends a connection and leaves no socket: there is no PC address.
  void DropSocket();
  bool HasSocket() const { return Socket != nullptr; }

  // Connects to port 80 of the module at `target`, a dotted address; a target that is not one
  // (no module selected) is looked up, and the look-up's end comes to the window. Only when idle.
  void Connect(const std::string& target);
  // Cancels a look-up or a connect under way, or disconnects; nothing when idle.
  void End();

  // What the window's notifications mean for the connection.
  void ConnectNotified(unsigned error);
  void CloseNotified(unsigned error);
  void LookupFailed() { EnterIdle(); }
  // Reads once what the connection holds: its lines go to the listener, its bytes are counted.
  void ReadTcpData();

  // The WinSock error that ended the last connection or connect; 0 when it ended without one
  // (the module closed it, or the operator).
  int EndError() const { return LastError; }

  const TrafficCounters& Counters() const { return Traffic; }
  void ClearCounters() { Traffic = {}; }

 private:
  void StartConnect();
  // "Vellora: TCP/IP Error <what> (Winsock:<error>)".
  void LogError(const char* what, int error);
  void EnterIdle();
  void EnterLookingUp();
  void EnterConnecting();
  void EnterConnected();

  TSocketLayer& Sockets;
  THostInfoManager& HostInfo;
  TMessageTarget& Window;
  Listener& Out;
  TcpState Current = TcpState::Idle;
  std::unique_ptr<TStreamSocket> Socket;
  TINetSocketAddress PeerAddress;
  LineCutter Lines;
  TrafficCounters Traffic;
  int LastError = 0;
};
