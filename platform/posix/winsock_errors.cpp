#include "platform/posix/winsock_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/socket_layer.h"

namespace {

struct ErrorRow {
  int Errno;  // 0: a WinSock number that no errno value maps to
  int WinSock;
  const char* Reason;
};

// errno -> WinSock number, and the reason text of each WinSock number. A number that several
// errno values map to has its text on its first row.
//
// EINPROGRESS is "would block": a non-blocking connect under way is reported as 10035, which
// the program takes as the normal start of a connect. EPIPE is 10058: on this system it means
// that the sending half is closed (by a shutdown, or after the connection has ended, whose
// reset was already reported as ECONNRESET).
constexpr ErrorRow kErrors[] = {
    {EINTR, wsa::EINTR_, "Interrupted function call"},
    {EBADF, wsa::EBADF_, "Bad file descriptor"},
    {EACCES, wsa::EACCES_, "Permission denied"},
    {EPERM, wsa::EACCES_, nullptr},
    {EFAULT, wsa::EFAULT_, "Bad address"},
    {EINVAL, wsa::EINVAL_, "Invalid argument"},
    {EMFILE, wsa::EMFILE_, "Too many open sockets"},
    {ENFILE, wsa::EMFILE_, nullptr},
    {EAGAIN, wsa::EWOULDBLOCK_, "Operation would block"},
    {EINPROGRESS, wsa::EWOULDBLOCK_, nullptr},
    {0, wsa::EINPROGRESS_, "Operation now in progress"},
    {EALREADY, wsa::EALREADY_, "Operation already in progress"},
    {ENOTSOCK, wsa::ENOTSOCK_, "Socket operation on non-socket"},
    {EDESTADDRREQ, wsa::EDESTADDRREQ_, "Destination address required"},
    {EMSGSIZE, wsa::EMSGSIZE_, "Message too long"},
    {EPROTOTYPE, wsa::EPROTOTYPE_, "Protocol wrong type for socket"},
    {ENOPROTOOPT, wsa::ENOPROTOOPT_, "Bad protocol option"},
    {EPROTONOSUPPORT, wsa::EPROTONOSUPPORT_, "Protocol not supported"},
    {ESOCKTNOSUPPORT, 10044, "Socket type not supported"},
    {EOPNOTSUPP, wsa::EOPNOTSUPP_, "Operation not supported"},
    {EPFNOSUPPORT, 10046, "Protocol family not supported"},
    {EAFNOSUPPORT, wsa::EAFNOSUPPORT_, "Address family not supported by protocol family"},
    {EADDRINUSE, wsa::EADDRINUSE_, "Address already in use"},
    {EADDRNOTAVAIL, wsa::EADDRNOTAVAIL_, "Cannot assign requested address"},
    {ENETDOWN, wsa::ENETDOWN_, "Network is down"},
    {ENODEV, wsa::ENETDOWN_, nullptr},
    {ENETUNREACH, wsa::ENETUNREACH_, "Network is unreachable"},
    {ENETRESET, wsa::ENETRESET_, "Network dropped connection on reset"},
    {ECONNABORTED, wsa::ECONNABORTED_, "Software caused connection abort"},
    {ECONNRESET, wsa::ECONNRESET_, "Connection reset by peer"},
    {ENOBUFS, wsa::ENOBUFS_, "No buffer space available"},
    {ENOMEM, wsa::ENOBUFS_, nullptr},
    {EISCONN, wsa::EISCONN_, "Socket is already connected"},
    {ENOTCONN, wsa::ENOTCONN_, "Socket is not connected"},
    {ESHUTDOWN, wsa::ESHUTDOWN_, "Cannot send after socket shutdown"},
    {EPIPE, wsa::ESHUTDOWN_, nullptr},
    {ETOOMANYREFS, 10059, "Too many references"},
    {ETIMEDOUT, wsa::ETIMEDOUT_, "Connection timed out"},
    {ECONNREFUSED, wsa::ECONNREFUSED_, "Connection refused"},
    {ELOOP, 10062, "Cannot translate name"},
    {ENAMETOOLONG, 10063, "Name too long"},
    {EHOSTDOWN, wsa::EHOSTDOWN_, "Host is down"},
    {EHOSTUNREACH, wsa::EHOSTUNREACH_, "No route to host"},
    {ENOTEMPTY, 10066, "Directory not empty"},
    {EUSERS, 10068, "Too many users"},
    {EDQUOT, 10069, "Disk quota exceeded"},
    {ESTALE, 10070, "Stale file handle reference"},
    {EREMOTE, 10071, "Item is remote"},
    {0, wsa::NOTINITIALISED_, "Socket layer not started"},
};

static_assert(EWOULDBLOCK == EAGAIN, "EWOULDBLOCK is looked up as EAGAIN");

}  // namespace

int WinSockErrorFromErrno(int errnoValue) {
  if (errnoValue == 0) return 0;
  for (const ErrorRow& row : kErrors) {
    if (row.Errno == errnoValue) return row.WinSock;
  }
  return kUnmappedErrnoBase + errnoValue;
}

std::string WinSockReasonText(int error) {
  if (error == 0) return "No error";
  for (const ErrorRow& row : kErrors) {
    if (row.WinSock == error && row.Reason != nullptr) return row.Reason;
  }
  char text[128];
  if (error > kUnmappedErrnoBase && error < kUnmappedErrnoBase + 4096) {
    const int errnoValue = error - kUnmappedErrnoBase;
    const char* name = strerrorname_np(errnoValue);
    const char* description = strerrordesc_np(errnoValue);
    if (name != nullptr) {
      std::snprintf(text, sizeof text, "System error %s: %s", name,
                    description != nullptr ? description : "");
    } else {
      std::snprintf(text, sizeof text, "System error %d", errnoValue);
    }
    return text;
  }
  std::snprintf(text, sizeof text, "Unknown socket error %d", error);
  return text;
}
