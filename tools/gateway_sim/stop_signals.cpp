#include "tools/gateway_sim/stop_signals.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

StopSignals::~StopSignals() {
  if (fd_ >= 0) close(fd_);
}

bool StopSignals::Open(std::string& error) {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &stop, nullptr) != 0) {
    error = std::string("sigprocmask: ") + std::strerror(errno);
    return false;
  }
  fd_ = signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) {
    error = std::string("signalfd: ") + std::strerror(errno);
    return false;
  }
  return true;
}

const char* StopSignals::Take() {
  signalfd_siginfo info{};
  if (read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return nullptr;
  return info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM";
}
