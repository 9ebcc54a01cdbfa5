#pragma once

#include <string>

#include "platform/socket_layer.h"

// Host information on POSIX: the PC's host entry is the machine's own IPv4 addresses, in the
// order the system lists its interface addresses, from interfaces that are up, loopback left
// out. A look-up answers for the machine's own name (and for an empty name) with that entry,
// and for a dotted-decimal name with that one address; any other name is not found.
class PosixHostInfoManager final : public THostInfoManager {
 public:
  std::string GetHostName(int bufferSize) override;
  int GetHostInfo(THostEntry& entry, const std::string& name) override;
};
