#pragma once

#include <memory>

#include "platform/event_loop.h"
#include "platform/socket_layer.h"

struct sockaddr_in;

// sockaddr_in and TINetSocketAddress hold port and address alike, in network byte order.
sockaddr_in ToSockAddr(const TINetSocketAddress& address);
TINetSocketAddress FromSockAddr(const sockaddr_in& address);

// Ties the descriptor to the binding's interface, by its index (by its name on kernels that
// know no index option). 0, or -1 with errno.
int TieToInterface(int fd, const TLocalBinding& own);

// What a socket does when its descriptor becomes readable or writable. Called from the event
// loop only while the socket is open and notifying.
class SocketEvents {
 public:
  virtual void OnReadable() = 0;
  virtual void OnWritable() = 0;

 protected:
  ~SocketEvents() = default;
};

// The part every socket shares: the descriptor, its last error, the window that receives its
// notifications, and the event-loop watches that drive them.
//
// Watches exist only while the descriptor is open and notification has been started; they are
// removed before the descriptor is closed. Their callbacks reach the socket through a token
// that is replaced at every create and close, so a callback that an event loop still delivers
// for an old descriptor (or for a new socket that got the same number) does nothing.
//
// Inside the socket's own watch callback a watch is not switched off at once when its readiness
// stops being wanted: the window's handler usually reads, which wants it again, and switching
// an event loop's watch off and on costs far more than the read. It goes off when the callback
// returns, or, should the handler run a nested loop without reading, the first time it fires
// unwanted. Switching a watch on is never put off.
class SocketCore {
 public:
  SocketCore(TEventLoop& loop, int type, SocketEvents& events);
  ~SocketCore();
  SocketCore(const SocketCore&) = delete;
  SocketCore& operator=(const SocketCore&) = delete;

  int Fd() const { return Descriptor; }
  bool IsOpen() const { return Descriptor >= 0; }

  // Opens a new non-blocking descriptor, closing one that is open. 0, or -1 with the error.
  int Create();
  // Removes the watches, then closes. -1 with 10038 when nothing is open.
  int Close();
  void SetWindow(TMessageTarget* window) { Window = window; }
  int StartNotification();
  bool IsNotifying() const { return Notifying; }
  int SetBroadcast(bool on);

  // Which readiness the socket wants to hear about now; the watches follow.
  void WantRead(bool wanted);
  void WantWrite(bool wanted);
  // No more notifications until the next create (after FD_CLOSE).
  void StopNotification();

  bool ReadIsWanted() const { return ReadWanted; }
  // Expires when the descriptor is closed or replaced, or the socket is destroyed: a handler
  // that has notified the window checks it before touching the socket again.
  std::weak_ptr<const void> Liveness() const { return Current; }

  // Records a WinSock error and yields -1.
  int Fail(int error);
  int FailWithErrno(int errnoValue);
  int LastError() const { return Error; }

  // Sends a notification to the window. The window may close or destroy the socket inside
  // the call, so a caller must not touch the socket afterwards.
  void Notify(unsigned event, int error);

 private:
  struct Token {
    SocketCore* Core;
  };

  void FollowWants(bool wantedMore);
  void UpdateWatches();
  void RemoveWatches();
  int AddWatch(TEventLoop::WatchKind kind);
  static void RunWatch(const std::weak_ptr<Token>& token, TEventLoop::WatchKind kind);

  TEventLoop& Loop;
  int Type;
  SocketEvents& Events;
  int Descriptor = -1;
  int Error = 0;
  TMessageTarget* Window = nullptr;
  bool Notifying = false;
  bool ReadWanted = false;
  bool WriteWanted = false;
  int ReadWatch = 0;
  int WriteWatch = 0;
  bool ReadWatchOn = false;  // as the event loop has it
  bool WriteWatchOn = false;
  bool InWatchCall = false;  // a callback of this descriptor's watches is running
  bool OffPending = false;   // a watch to switch off when it returns
  std::shared_ptr<Token> Current;
};
