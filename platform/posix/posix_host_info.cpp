#include "platform/posix/posix_host_info.h"

#include <unistd.h>

#include <strings.h>

#include "platform/posix/own_interfaces.h"
#include "protocol/text_values.h"

namespace {

std::string OwnName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace

std::string PosixHostInfoManager::GetHostName(int bufferSize) {
  if (bufferSize <= 0) return {};
  std::string name = OwnName();
  if (name.size() > static_cast<std::size_t>(bufferSize - 1))
    name.resize(static_cast<std::size_t>(bufferSize - 1));
  return name;
}

int PosixHostInfoManager::GetHostInfo(THostEntry& entry, const std::string& name) {
  entry.Entries.clear();
  if (const std::optional<Ipv4> dotted = ParseDottedQuad(name)) {
    entry.Entries.push_back({*dotted, 0, {}, true});
    return 0;
  }
  if (!name.empty() && strcasecmp(name.c_str(), OwnName().c_str()) != 0) return -1;
  int errnoValue = 0;
  entry = OwnHostEntry(&errnoValue);
  return errnoValue == 0 ? 0 : -1;
}
