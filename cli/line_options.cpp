#include "cli/line_options.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "cli/command_options.h"
#include "line/line_server_text.h"

void LineOptions::AddTo(CommandLine& line, bool station) {
  // Read as it is, and checked afterwards: a refused value is never echoed, since it may hold
  // a password.
  line.Custom("line",
              [this](std::string_view value, std::string&) {
                Conninfo = value;
                return true;
              },
              {"CONNINFO",
               "the line database: a libpq connection string or URI\n"
               "(default: $VELLORA_LINE); its password belongs in ~/.pgpass"});
  if (station) {
    line.Text("station", Station, 64,
              {"NAME", "the station's name in the record (default: the host name)"});
  }
}

std::optional<int> LineOptions::Resolve(const CommandLine& line) {
  const char* source = "--line";
  if (!line.Given("line")) {
    const char* fromEnvironment = std::getenv("VELLORA_LINE");
    Conninfo = fromEnvironment ? fromEnvironment : "";
    source = "VELLORA_LINE";
  }
  if (Conninfo.empty()) {
    return BadUsage(
        line, line.Given("line") ? "--line is empty" : "give --line CONNINFO or set VELLORA_LINE");
  }
  const LineServerText described = DescribeConninfo(Conninfo);
  if (!described.Error.empty())
    return BadUsage(
        line, std::string(source) + " is no libpq connection string or URI: " + described.Error);
  if (described.HasPassword) {
    return BadUsage(line, std::string(source) +
                              " holds a password, which is never taken from the command line "
                              "or the environment: keep it in ~/.pgpass (or the file PGPASSFILE "
                              "names) or in a service file");
  }
  if (Station.empty()) {
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0 || !*host)
      return BadUsage(line, "the host name is unknown: give --station NAME");
    Station = host;
  }
  return std::nullopt;
}

bool LineOptions::Named(const CommandLine& line) {
  const char* fromEnvironment = std::getenv("VELLORA_LINE");
  return line.Given("line") || (fromEnvironment != nullptr && *fromEnvironment != '\0');
}

std::optional<int> LineOptions::ResolveIfNamed(const CommandLine& line, bool& named) {
  named = Named(line);
  if (named) return Resolve(line);
  if (line.Given("station")) {
    return BadUsage(line,
                    "--station names the station in the line database: give --line CONNINFO or "
                    "set VELLORA_LINE");
  }
  return std::nullopt;
}

std::chrono::milliseconds LineBound(const LineTimeouts& timeouts) {
  // A call is at most a few statements (the schema's check, the call, the request's bytes),
  // each bounded, after a connection; the rest is margin.
  return timeouts.Connect + 8 * (timeouts.Statement + std::chrono::milliseconds(2000));
}
