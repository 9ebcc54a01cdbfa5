// vellora-cli line init|status|history: the line database's pools and record.
#include <algorithm>
#include <cstdio>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/line_options.h"
#include "cli/line_text.h"
#include "line/line_schema.h"

namespace {

int Refused(const std::string& message) {
  std::fprintf(stderr, "vellora-cli: %s\n", message.c_str());
  return kNotDone;
}

// Whether everything printed reached stdout; if not, says so.
int Printed() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return kDone;
  std::fprintf(stderr, "vellora-cli: the standard output cannot be written\n");
  return kNotDone;
}

// One call of the line database, waited for.
template <class T>
LineReply<T> Await(const LineOptions& options,
                   const std::function<void(LineDatabase&, LineDatabase::Callback<T>)>& call) {
  PollEventLoop loop;
  LineDatabase database(loop, options.Conninfo);
  return AwaitLine<T>(
      loop, [&](LineDatabase::Callback<T> done) { call(database, std::move(done)); },
      LineBound(database.Connection().Timeouts()));
}

bool ReadPrefix(std::string_view value, MacPrefix& prefix) {
  const std::optional<MacAddress> mac = ParseMac(std::string(value) + ":00:00:00");
  if (mac) std::copy_n(mac->begin(), prefix.size(), prefix.begin());
  return mac.has_value();
}

// The options of `line init`; the other commands' follow the same pattern.
struct InitLine {
  LineOptions Options;
  PoolRange Range;
  CommandLine Line{"vellora-cli line init"};

  InitLine() {
    Options.AddTo(Line, false);
    Line.Custom("prefix",
                [this](std::string_view value, std::string& why) {
                  why = "not three MAC bytes";
                  return ReadPrefix(value, Range.Prefix);
                },
                {"AA:BB:CC", "the first three bytes of the pool's MACs"})
        .Number("first", Range.First, 0, 16777215, {"N", "the pool's first serial number"})
        .Number("last", Range.Last, 0, 16777215, {"N", "the pool's last serial number"});
  }
};

struct StatusLine {
  LineOptions Options;
  CommandLine Line{"vellora-cli line status"};

  StatusLine() { Options.AddTo(Line, false); }
};

struct HistoryLines {
  LineOptions Options;
  HistoryFilter Filter;
  MacAddress Mac{};
  bool JsonLines = false;
  CommandLine Line{"vellora-cli line history"};

  HistoryLines() {
    Options.AddTo(Line, false);
    Line.Mac("mac", Mac, {"MAC", "rows where the module had, got or showed this MAC"})
        .Text("station", Filter.Station, 64, {"NAME", "rows of this station"})
        .Text("since", Filter.Since, 64,
              {"TIME",
               "rows from this time on: 2026-12-06, '2026-12-06 08:00', '2026-12-06\n"
               "08:00:00+01'"})
        .Flag("unconfirmed", Filter.Unconfirmed,
              "numbers taken whose module never confirmed its new MAC")
        .Flag("unchecked", Filter.Unchecked, "MACs given that no label check has found")
        .Flag("json", JsonLines, "one JSON object per row and line");
  }
};

int Init(const std::vector<std::string>& words) {
  InitLine init;
  if (const auto exit = ParseCommand(init.Line, words)) return *exit;
  if (!init.Line.Positional().empty())
    return BadUsage(init.Line, "unexpected argument '" + init.Line.Positional()[0] + "'");
  if (!init.Line.Given("prefix") || !init.Line.Given("first") || !init.Line.Given("last"))
    return BadUsage(init.Line, "give --prefix, --first and --last");
  if (const auto exit = init.Options.Resolve(init.Line)) return *exit;
  if (const std::string fault = PoolRangeFault(init.Range); !fault.empty())
    return BadUsage(init.Line, fault);

  const LineReply<PoolInitDone> reply = Await<PoolInitDone>(
      init.Options, [&](LineDatabase& database, LineDatabase::Callback<PoolInitDone> done) {
        database.InitPool(init.Range, std::move(done));
      });
  if (!reply.Ok()) return Refused(reply.Message);
  const PoolRange& range = init.Range;
  const std::string pool = PrefixText(range.Prefix) + " " + std::to_string(range.First) + " to " +
                           std::to_string(range.Last);
  if (reply.Value.SchemaFrom == 0) {
    std::printf("made the schema, version %d\n", SchemaVersion());
  } else if (reply.Value.SchemaFrom < SchemaVersion()) {
    std::printf("brought the schema from version %d to %d\n", reply.Value.SchemaFrom,
                SchemaVersion());
  }
  if (reply.Value.Made) {
    std::printf("made the pool %s (%u numbers)\n", pool.c_str(), range.Last - range.First + 1);
  } else {
    std::printf("the pool %s is there already\n", pool.c_str());
  }
  if (!reply.Value.StationsRole) {
    std::fprintf(stderr,
                 "vellora-cli: there is no role vellora_station, so only the database's owner "
                 "can use the line; make it and run line init again to give it its rights\n");
  }
  return Printed();
}

int Status(const std::vector<std::string>& words) {
  StatusLine status;
  if (const auto exit = ParseCommand(status.Line, words)) return *exit;
  if (!status.Line.Positional().empty())
    return BadUsage(status.Line, "unexpected argument '" + status.Line.Positional()[0] + "'");
  if (const auto exit = status.Options.Resolve(status.Line)) return *exit;

  const LineReply<LineStatus> reply = Await<LineStatus>(
      status.Options, [](LineDatabase& database, LineDatabase::Callback<LineStatus> done) {
        database.Status(std::move(done));
      });
  if (!reply.Ok()) return Refused(reply.Message);
  for (const PoolState& pool : reply.Value.Pools)
    std::printf("%s\n", PoolLine(pool).c_str());
  for (const StationDay& day : reply.Value.Today)
    std::printf("%s\n", StationLine(day).c_str());
  return Printed();
}

int History(const std::vector<std::string>& words) {
  HistoryLines history;
  if (const auto exit = ParseCommand(history.Line, words)) return *exit;
  if (!history.Line.Positional().empty())
    return BadUsage(history.Line, "unexpected argument '" + history.Line.Positional()[0] + "'");
  if (const auto exit = history.Options.Resolve(history.Line)) return *exit;
  if (history.Line.Given("mac")) history.Filter.Mac = history.Mac;

  const LineReply<std::vector<HistoryRow>> reply = Await<std::vector<HistoryRow>>(
      history.Options,
      [&](LineDatabase& database, LineDatabase::Callback<std::vector<HistoryRow>> done) {
        database.History(history.Filter, std::move(done));
      });
  if (!reply.Ok()) return Refused(reply.Message);
  for (const HistoryRow& row : reply.Value)
    std::printf("%s\n", (history.JsonLines ? HistoryJson : HistoryLine)(row).c_str());
  return Printed();
}

}  // namespace

int LineCommand(const std::vector<std::string>& words) {
  const std::string sub = words.size() > 1 ? words[1] : "";
  const std::vector<std::string> rest(words.begin() + (words.empty() ? 0 : 1), words.end());
  if (sub == "init") return Init(rest);
  if (sub == "status") return Status(rest);
  if (sub == "history") return History(rest);
  const std::string help =
      "usage: vellora-cli line init|status|history [options]\n\n"
      "The line database: the serial-number pools and the production record that the stations\n"
      "of a line share, in PostgreSQL.\n\n" +
      InitLine().Line.Help() + "\n" + StatusLine().Line.Help() + "\n" + HistoryLines().Line.Help();
  if (sub == "--help" || sub == "-h") {
    std::fputs(help.c_str(), stdout);
    return Printed();
  }
  std::fputs(help.c_str(), stderr);
  if (!sub.empty()) std::fprintf(stderr, "\nvellora-cli: unknown line command '%s'\n", sub.c_str());
  return kBadUsage;
}
