#include "line/line_settings.h"

#include <unistd.h>

#include <climits>

#include "line/libpq_library.h"
#include "line/line_server_text.h"

std::optional<std::string> ConninfoRefusal(const std::string& conninfo, const std::string& source) {
  if (conninfo.empty()) return source + " is empty";
  if (std::string why; !LibPqFunctions(why)) return source + " cannot be used: " + why;
  const LineServerText described = DescribeConninfo(conninfo);
  if (!described.Error.empty())
    return source + " is no libpq connection string or URI: " + described.Error;
  if (described.HasPassword) {
    return source +
           " holds a password, which is never taken from the command line or the environment: "
           "keep it in ~/.pgpass (or the file PGPASSFILE names) or in a service file";
  }
  return std::nullopt;
}

std::optional<std::string> HostStationName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0 || !*host) return std::nullopt;
  return std::string(host);
}
