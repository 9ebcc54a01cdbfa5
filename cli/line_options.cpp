#include "cli/line_options.h"

#include <cstdio>
#include <cstdlib>

#include "cli/command_options.h"
#include "line/line_settings.h"

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
    line.Text("station", Station, kStationNameLimit,
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
  if (Conninfo.empty() && !line.Given("line"))
    return BadUsage(line, "give --line CONNINFO or set VELLORA_LINE");
  if (const auto refused = ConninfoRefusal(Conninfo, source)) return BadUsage(line, *refused);
  if (Station.empty()) {
    const std::optional<std::string> host = HostStationName();
    if (!host) return BadUsage(line, "the host name is unknown: give --station NAME");
    Station = *host;
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
