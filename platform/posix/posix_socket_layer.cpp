#include "platform/posix/posix_socket_layer.h"

#include <sys/socket.h>
#include <unistd.h>

#include "platform/posix/address_watch.h"
#include "platform/posix/own_interfaces.h"
#include "platform/posix/posix_datagram_socket.h"
#include "platform/posix/posix_stream_socket.h"
#include "platform/posix/winsock_errors.h"

bool PosixSocketLayer::IsAvailable() {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  close(fd);
  return true;
}

std::unique_ptr<TDatagramSocket> PosixSocketLayer::NewDatagramSocket(const TLocalBinding& own) {
  return std::make_unique<PosixDatagramSocket>(Loop, own);
}

std::unique_ptr<TStreamSocket> PosixSocketLayer::NewStreamSocket(const TLocalBinding& own) {
  return std::make_unique<PosixStreamSocket>(Loop, own);
}

bool PosixSocketLayer::ReadOwnAddresses(THostEntry& entry) {
  int errnoValue = 0;
  entry = OwnHostEntry(&errnoValue);
  return errnoValue == 0;
}

std::unique_ptr<TAddressWatch> PosixSocketLayer::WatchAddresses(std::function<void()> changed) {
  return NetlinkAddressWatch::Open(Loop, std::move(changed));
}

std::string PosixSocketLayer::GetReasonString(int error) const {
  return WinSockReasonText(error);
}
