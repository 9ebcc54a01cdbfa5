#pragma once

#include <cstdint>

#include "platform/event_loop.h"
#include "platform/posix/socket_core.h"
#include "platform/socket_layer.h"

// A TCP client socket with asynchronous-select notifications:
// - FD_CONNECT once a non-blocking connect has ended, with 0 or the error (10061 refused ...);
// - FD_READ when data waits; after it the next one comes once Read has been called (up to
//   kReadsPerPass of them in one event-loop pass);
// - FD_CLOSE once, when the peer has closed (0) or reset (10054) the connection, and only
//   after the data that came before has been read; the socket then stops notifying;
// - FD_WRITE is never raised: the program never writes to the connection.
// A binding with an interface ties the connection to that interface and address: it can only
// leave on that wire. Where the system does not allow the tie, the bind fails (10013) rather
// than let the system pick the interface.
class PosixStreamSocket final : public TStreamSocket, private SocketEvents {
 public:
  PosixStreamSocket(TEventLoop& loop, const TLocalBinding& own);
  ~PosixStreamSocket() override = default;

  void SetNotificationWindow(TMessageTarget* window) override { Core.SetWindow(window); }
  int CreateSocket() override;
  int BindSocket() override;
  int StartRegularNotification() override { return Core.StartNotification(); }
  int CloseSocket() override;
  int SetBroadcastOption(bool on) override { return Core.SetBroadcast(on); }
  int GetLastError() const override { return Core.LastError(); }
  TINetSocketAddress GetSocketAddress() const override;

  // -1 with 10035 when the connect is under way (also when it finished at once): FD_CONNECT
  // follows. 0.0.0.0 is refused at once with 10049.
  int Connect(const TINetSocketAddress& peer) override;
  // The count read (0 at the end of the stream), or -1: 10035 nothing waits, 10057 not
  // connected.
  int Read(std::uint8_t* buffer, int& roomAndCount) override;
  int ShutDownSocket(int how) override;
  // TCP keepalive probes and a user timeout that end a silent connection.
  int SetDeadPeerTimeout(int seconds) override;

  int Descriptor() const { return Core.Fd(); }

 private:
  enum class State { Closed, Open, Connecting, Connected, Ended };

  void OnReadable() override;
  void OnWritable() override;
  void FollowState();

  // FD_READs delivered in one event-loop pass at most, so that a fast stream cannot starve the
  // loop.
  static constexpr int kReadsPerPass = 16;

  SocketCore Core;
  TLocalBinding Own;
  State Current = State::Closed;
  bool ReadArmed = true;
  std::uint16_t BoundPort = 0;  // network order; 0 before a bind
  // An error that a Read met before the notification could (the reset is reported once by
  // the system); the FD_CLOSE carries it.
  int CloseError = 0;
};
