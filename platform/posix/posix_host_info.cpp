#include "platform/posix/posix_host_info.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/posix/own_interfaces.h"
#include "platform/posix/winsock_errors.h"

namespace {

// Resolves a name to IPv4 and yields the WinSock result: 0 or the look-up's error.
int ResolveName(const std::string& name) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int result = getaddrinfo(name.c_str(), nullptr, &hints, &found);
  const int error = WinSockErrorFromAddrInfo(result, errno);
  if (found != nullptr) freeaddrinfo(found);
  if (result == 0 && found == nullptr) return wsa::NO_DATA_;
  return error;
}

}  // namespace

PosixHostInfoManager::PosixHostInfoManager(TEventLoop& loop)
    : Loop(loop), Self(std::make_shared<PosixHostInfoManager*>(this)) {}

PosixHostInfoManager::~PosixHostInfoManager() {
  CancelHostRequest();
}

std::string PosixHostInfoManager::GetHostName(int bufferSize) {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) {
    Error = WinSockErrorFromErrno(errno);
    return std::string();
  }
  std::string result(name);
  if (bufferSize <= 0) return std::string();
  if (result.size() > static_cast<std::size_t>(bufferSize - 1)) {
    result.resize(static_cast<std::size_t>(bufferSize - 1));
  }
  return result;
}

bool PosixHostInfoManager::IsOwnName(const std::string& name) const {
  char own[256] = {};
  if (gethostname(own, sizeof own - 1) != 0) return false;
  return strcasecmp(name.c_str(), own) == 0;
}

int PosixHostInfoManager::GetHostInfo(THostEntry& entry, const std::string& name) {
  entry.Entries.clear();
  if (TINetSocketAddress::IsAddressDottedDecimal(name.c_str())) {
    entry.Entries.push_back({TINetSocketAddress::ConvertAddress(name.c_str()), 0, {}, true});
    return 0;
  }
  if (!name.empty() && !IsOwnName(name)) {
    Error = wsa::HOST_NOT_FOUND_;
    return -1;
  }
  int errnoValue = 0;
  entry = OwnHostEntry(&errnoValue);
  if (errnoValue != 0) {
    Error = WinSockErrorFromErrno(errnoValue);
    return -1;
  }
  return 0;
}

int PosixHostInfoManager::GetHostInfoAsync(TMessageTarget& window, const std::string& name,
                                           unsigned message) {
  CancelHostRequest();
  const std::uintptr_t request = ++LastRequest;
  if (!name.empty() && !TINetSocketAddress::IsAddressDottedDecimal(name.c_str()) &&
      !IsOwnName(name)) {
    if (StartWorker(name) != 0) return -1;
  } else {
    // Nothing to wait for; the end still comes from the loop, after this call.
    std::weak_ptr<PosixHostInfoManager*> self = Self;
    Loop.Post([self, request] {
      if (const auto live = self.lock()) (*live)->Finish(request, 0);
    });
  }
  Request = request;
  Window = &window;
  Message = message;
  return 0;
}

int PosixHostInfoManager::StartWorker(const std::string& name) {
  int ends[2] = {-1, -1};
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
    Error = WinSockErrorFromErrno(errno);
    return -1;
  }
  try {
    // The worker owns its end and a copy of the name; it never touches the manager. When
    // the look-up has been abandoned its send fails quietly (no SIGPIPE).
    std::thread([name, fd = ends[1]] {
      const int error = ResolveName(name);
      [[maybe_unused]] const ssize_t sent = send(fd, &error, sizeof error, MSG_NOSIGNAL);
      close(fd);
    }).detach();
  } catch (const std::system_error&) {
    close(ends[0]);
    close(ends[1]);
    Error = wsa::ENOBUFS_;
    return -1;
  }
  ResultFd = ends[0];
  std::weak_ptr<PosixHostInfoManager*> self = Self;
  ResultWatch = Loop.AddWatch(ResultFd, TEventLoop::WatchKind::Read, [self] {
    if (const auto live = self.lock()) (*live)->OnWorkerResult();
  });
  return 0;
}

void PosixHostInfoManager::OnWorkerResult() {
  int error = 0;
  const ssize_t got = recv(ResultFd, &error, sizeof error, MSG_DONTWAIT);
  if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (got != static_cast<ssize_t>(sizeof error)) error = wsa::NO_RECOVERY_;
  Finish(Request, error);
}

void PosixHostInfoManager::Finish(std::uintptr_t request, int error) {
  if (request == 0 || request != Request) return;  // abandoned
  TMessageTarget* const window = Window;
  const unsigned message = Message;
  CancelHostRequest();
  if (error != 0) Error = error;
  // Last: the window may destroy the manager.
  window->WindowProc(message, request,
                     static_cast<std::intptr_t>(MakeLong(0, static_cast<unsigned>(error))));
}

void PosixHostInfoManager::CancelHostRequest() {
  if (ResultWatch != 0) Loop.RemoveWatch(ResultWatch);
  ResultWatch = 0;
  if (ResultFd >= 0) close(ResultFd);
  ResultFd = -1;
  Request = 0;
  Window = nullptr;
}
