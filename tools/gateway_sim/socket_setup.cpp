#include "tools/gateway_sim/socket_setup.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "tools/gateway_sim/log_line.h"

namespace {

int Fail(int fd, const std::string& what, std::string& error) {
  error = what + ": " + std::strerror(errno);
  close(fd);
  return -1;
}

// How a user goes on whom the system does not let bind a port below 1024.
std::string PrivilegedPortAdvice(int type) {
  char self[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string program = length > 0 ? std::string(self, static_cast<std::size_t>(length))
                                         : std::string("vellora-gateway-sim");
  const std::string option = type == SOCK_STREAM ? "--tcp-port" : "--udp-port";
  std::string advice = ". A port below 1024 needs root or the capability cap_net_bind_service: ";
  advice += "choose another port with " + option + " (for instance " + option + " 8080), ";
  advice += "or give the program the capability, as root: setcap cap_net_bind_service=+ep ";
  return advice + program;
}

}  // namespace

int OpenBoundSocket(int type, Ipv4 ip, std::uint16_t port, const std::string& interface,
                    sockaddr_in& local, std::string& error) {
  const int fd = socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  const int on = 1;
  if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
    return Fail(fd, "SO_REUSEADDR", error);
  if (!interface.empty() && setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, interface.c_str(),
                                       static_cast<socklen_t>(interface.size() + 1)) != 0)
    return Fail(fd, "SO_BINDTODEVICE " + interface, error);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(ip.Number());
  address.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const bool privileged = errno == EACCES && port != 0 && port < 1024;
    Fail(fd, "bind " + EndpointText(address), error);
    if (privileged) error += PrivilegedPortAdvice(type);
    return -1;
  }
  socklen_t length = sizeof local;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
    return Fail(fd, "getsockname", error);
  return fd;
}
