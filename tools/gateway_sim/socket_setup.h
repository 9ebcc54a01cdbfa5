#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "protocol/ipv4.h"

// Opens a non-blocking socket of `type` (SOCK_DGRAM or SOCK_STREAM) with SO_REUSEADDR, ties it
// to `interface` when one is named (SO_BINDTODEVICE), binds it to ip:port (port 0: the
// system picks one) and returns it with the address actually bound in `local`. Returns -1 with
// a reason in `error` on failure.
int OpenBoundSocket(int type, Ipv4 ip, std::uint16_t port, const std::string& interface,
                    sockaddr_in& local, std::string& error);
