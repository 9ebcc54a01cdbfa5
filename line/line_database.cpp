#include "line/line_database.h"

#include <charconv>

#include "line/line_schema.h"

namespace {

using Param = std::optional<std::string>;
using Row = std::vector<std::optional<std::string>>;

Param Text(const std::string& text) {
  return text.empty() ? Param() : Param(text);
}

std::string MacParam(const MacAddress& mac) {
  return Format("%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}
Param MacParam(const std::optional<MacAddress>& mac) {
  return mac ? Param(MacParam(*mac)) : Param();
}

// bytea in PostgreSQL's hexadecimal form.
Param Bytes(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return {};
  std::string hex = "\\x";
  for (const std::uint8_t byte : bytes)
    hex += Format("%02x", byte);
  return hex;
}

template <class T>
T NumberOf(const std::optional<std::string>& text) {
  T value{};
  if (text) std::from_chars(text->data(), text->data() + text->size(), value);
  return value;
}
std::string TextOf(const std::optional<std::string>& text) {
  return text.value_or("");
}

// A failure as the caller hears it: a read-only statement that was lost did nothing; one that
// writes may have been done.
template <class T>
LineReply<T> Failure(const LineReply<LineRows>& reply, bool changes) {
  LineReply<T> failed;
  failed.Failure =
      !changes && reply.Failure == LineFailure::Lost ? LineFailure::Unreachable : reply.Failure;
  failed.Message = reply.Message;
  if (changes && reply.Failure == LineFailure::Lost) failed.Message += "; the row may be written";
  return failed;
}

template <class T>
LineReply<T> Refusal(std::string message) {
  LineReply<T> refused;
  refused.Failure = LineFailure::Refused;
  refused.Message = std::move(message);
  return refused;
}

}  // namespace

std::string PrefixText(const MacPrefix& prefix) {
  return Format("%02X:%02X:%02X", prefix[0], prefix[1], prefix[2]);
}

LineDatabase::LineDatabase(TEventLoop& loop, std::string conninfo, LineTimeouts timeouts)
    : Loop(loop), Conninfo(conninfo), Limits(timeouts), Conn(loop, std::move(conninfo), timeouts) {}

template <class T>
void LineDatabase::WhenSchemaFits(const Callback<T>& done, std::function<void()> then) {
  if (Conn.Up() && CheckedGeneration == Conn.Generation()) return then();
  Conn.Run({"SELECT version FROM vellora.schema_version", {}},
           [this, done, then = std::move(then)](const LineReply<LineRows>& reply) {
             const std::string server = "the line database " + Server();
             if (reply.Value.SqlState == "42P01" || reply.Value.SqlState == "3F000") {
               return done(
                   Refusal<T>(server + " has no Vellora schema: 'vellora-cli line init' makes it"));
             }
             if (!reply.Ok()) return done(Failure<T>(reply, false));
             const int version =
                 reply.Value.Rows.empty() ? 0 : NumberOf<int>(reply.Value.Rows[0][0]);
             if (version > SchemaVersion()) {
               return done(Refusal<T>(server + " has schema version " + std::to_string(version) +
                                      ", newer than this program's " +
                                      std::to_string(SchemaVersion()) + ": update this program"));
             }
             if (version < SchemaVersion()) {
               return done(Refusal<T>(server + " has schema version " + std::to_string(version) +
                                      "; 'vellora-cli line init' brings it to " +
                                      std::to_string(SchemaVersion())));
             }
             CheckedGeneration = Conn.Generation();
             then();
           });
}

void LineDatabase::InitPool(const PoolRange& range, Callback<PoolInitDone> done) {
  std::erase_if(Inits, [](const std::unique_ptr<LinePoolInit>& init) { return init->Finished(); });
  Inits.push_back(std::make_unique<LinePoolInit>(Loop, Conninfo, Limits));
  Inits.back()->Start(range, std::move(done));
}

void LineDatabase::NextNumber(const MacPrefix& prefix,
                              Callback<std::optional<std::uint32_t>> done) {
  WhenSchemaFits(done, [this, prefix, done] {
    Conn.Run({"SELECT next FROM vellora.pool WHERE prefix = $1 AND next <= last "
              "ORDER BY first LIMIT 1",
              {PrefixText(prefix)}},
             [done](const LineReply<LineRows>& reply) {
               if (!reply.Ok()) return done(Failure<std::optional<std::uint32_t>>(reply, false));
               std::optional<std::uint32_t> next;
               if (!reply.Value.Rows.empty())
                 next = NumberOf<std::uint32_t>(reply.Value.Rows[0][0]);
               done({LineFailure::None, {}, next});
             });
  });
}

void LineDatabase::TakeNumber(TakeRequest request, Callback<TakenNumber> done) {
  WhenSchemaFits(done, [this, request = std::move(request), done] {
    const std::string prefix = PrefixText(request.Prefix);
    Conn.Run(
        {"SELECT * FROM vellora.take_number($1, $2, $3, $4, $5, $6)",
         {prefix, request.Place.Station, Text(request.Place.Interface),
          Text(request.Place.PcAddress), request.Command, MacParam(request.MacBefore)}},
        [this, request, done, prefix](const LineReply<LineRows>& reply) {
          if (!reply.Ok()) {
            LineReply<TakenNumber> failed = Failure<TakenNumber>(reply, false);
            if (reply.Failure == LineFailure::Lost) {
              failed.Failure = LineFailure::Lost;
              failed.Message += "; a number of " + prefix +
                                " may have been taken: it is never given again, and nothing "
                                "may be sent for it";
            }
            return done(failed);
          }
          const Row& row = reply.Value.Rows.at(0);
          if (!row[0]) {
            const auto given = NumberOf<std::uint64_t>(row[4]);
            const auto pools = NumberOf<int>(row[5]);
            if (pools == 0) {
              return done(Refusal<TakenNumber>("the line database " + Server() +
                                               " has no pool for the prefix " + prefix +
                                               ": 'vellora-cli line init' makes one"));
            }
            return done(Refusal<TakenNumber>(
                "the pool for " + prefix + " is empty: all " + std::to_string(given) + " numbers" +
                (pools > 1 ? " of its " + std::to_string(pools) + " ranges" : "") + " (" +
                TextOf(row[6]) + " to " + TextOf(row[7]) +
                ") were given; 'vellora-cli line init' adds a range"));
          }
          TakenNumber taken;
          taken.RecordId = NumberOf<std::int64_t>(row[0]);
          taken.Serial = NumberOf<std::uint32_t>(row[1]);
          taken.Mac = ParseMac(TextOf(row[2])).value_or(MacAddress{});
          taken.Left = NumberOf<std::uint64_t>(row[3]);
          const std::vector<std::uint8_t> bytes =
              request.Request ? request.Request(taken.Mac) : std::vector<std::uint8_t>{};
          // Committed synchronously: the take before it is then on the disk too.
          Conn.Run({"SELECT vellora.keep_request($1, $2)",
                    {std::to_string(taken.RecordId), Bytes(bytes)}},
                   [this, done, taken](const LineReply<LineRows>& kept) {
                     if (kept.Ok() && !kept.Value.Rows.empty() && kept.Value.Rows[0][0] == "t")
                       return done({LineFailure::None, {}, taken});
                     LineReply<TakenNumber> failed;
                     failed.Failure = LineFailure::Lost;
                     failed.Value = taken;
                     failed.Message =
                         (kept.Ok() ? "the line database " + Server() +
                                          " did not take the request into the row of "
                                    : kept.Message + "; the row of ") +
                         std::to_string(taken.Serial) + " (" + ColonMac(taken.Mac) +
                         ") is not known to be stored: nothing may be sent for it, and the "
                         "number is never given again";
                     done(failed);
                   });
        });
  });
}

void LineDatabase::AddRecord(const RecordRow& row, Callback<std::int64_t> done) {
  WhenSchemaFits(done, [this, row, done] {
    Conn.Run(
        {"SELECT vellora.add_record($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11)",
         {row.Place.Station, Text(row.Place.Interface), Text(row.Place.PcAddress), row.Command,
          MacParam(row.MacBefore), MacParam(row.MacAfter), Bytes(row.Request),
          OutcomeText(row.Outcome), Text(row.Reason), Text(row.Label), MacParam(row.MacFound)}},
        [done](const LineReply<LineRows>& reply) {
          if (!reply.Ok()) return done(Failure<std::int64_t>(reply, true));
          done({LineFailure::None, {}, NumberOf<std::int64_t>(reply.Value.Rows.at(0)[0])});
        });
  });
}

void LineDatabase::SetOutcome(std::int64_t recordId, LineOutcome outcome, std::string reason,
                              Callback<Nothing> done) {
  WhenSchemaFits(done, [this, recordId, outcome, reason = std::move(reason), done] {
    Conn.Run({"SELECT * FROM vellora.set_outcome($1, $2, $3)",
              {std::to_string(recordId), OutcomeText(outcome), Text(reason)}},
             [this, recordId, outcome, done](const LineReply<LineRows>& reply) {
               if (!reply.Ok()) return done(Failure<Nothing>(reply, true));
               const Row& row = reply.Value.Rows.at(0);
               if (!row[0]) {
                 return done(Refusal<Nothing>("the line database " + Server() + " has no row " +
                                              std::to_string(recordId)));
               }
               if (row[1] != "t") {
                 return done(Refusal<Nothing>("the row " + std::to_string(recordId) + " is \"" +
                                              *row[0] + "\" and cannot become \"" +
                                              OutcomeText(outcome) + "\""));
               }
               done({});
             });
  });
}

void LineDatabase::Status(Callback<LineStatus> done) {
  WhenSchemaFits(done, [this, done] {
    Conn.Run(
        {"SELECT prefix, first, last, next, last - next + 1 FROM vellora.pool "
         "ORDER BY prefix, first",
         {}},
        [this, done](const LineReply<LineRows>& pools) {
          if (!pools.Ok()) return done(Failure<LineStatus>(pools, false));
          auto status = std::make_shared<LineStatus>();
          for (const Row& row : pools.Value.Rows) {
            status->Pools.push_back(
                {TextOf(row[0]), NumberOf<std::uint32_t>(row[1]), NumberOf<std::uint32_t>(row[2]),
                 NumberOf<std::uint32_t>(row[3]), NumberOf<std::uint64_t>(row[4])});
          }
          Conn.Run({"SELECT station, count(*), "
                    "count(*) FILTER (WHERE outcome IN ('sent', 'confirmed', 'not confirmed')), "
                    "count(*) FILTER (WHERE outcome = 'confirmed') "
                    "FROM vellora.record WHERE serial IS NOT NULL "
                    "AND at >= date_trunc('day', now()) GROUP BY station ORDER BY station",
                    {}},
                   [done, status](const LineReply<LineRows>& today) {
                     if (!today.Ok()) return done(Failure<LineStatus>(today, false));
                     for (const Row& row : today.Value.Rows) {
                       status->Today.push_back({TextOf(row[0]), NumberOf<std::uint64_t>(row[1]),
                                                NumberOf<std::uint64_t>(row[2]),
                                                NumberOf<std::uint64_t>(row[3])});
                     }
                     done({LineFailure::None, {}, *status});
                   });
        });
  });
}

void LineDatabase::History(const HistoryFilter& filter, Callback<std::vector<HistoryRow>> done) {
  // Rows whose request may have left carrying a MAC: those of the numbers taken and of set-mac.
  static constexpr const char* kGaveMac =
      "r.mac_after IS NOT NULL AND r.request IS NOT NULL "
      "AND r.outcome NOT IN ('not sent', 'refused')";
  static const std::string kSql =
      std::string(
          "SELECT r.id, to_char(r.at, 'YYYY-MM-DD HH24:MI:SS.MSOF'), "
          "to_char(r.changed, 'YYYY-MM-DD HH24:MI:SS.MSOF'), r.station, r.db_user, r.interface, "
          "host(r.pc_address), r.command, upper(r.mac_before::text), upper(r.mac_after::text), "
          "r.serial, encode(r.request, 'hex'), r.outcome, r.reason, r.label, "
          "upper(r.mac_found::text) "
          "FROM vellora.record r "
          "WHERE ($1::macaddr IS NULL OR $1::macaddr IN (r.mac_before, r.mac_after, r.mac_found)) "
          "AND ($2::text IS NULL OR r.station = $2::text) "
          "AND ($3::timestamptz IS NULL OR r.at >= $3::timestamptz) "
          "AND (NOT $4::boolean OR (r.serial IS NOT NULL AND r.outcome <> 'confirmed')) "
          "AND (NOT $5::boolean OR (") +
      kGaveMac +
      " AND NOT EXISTS (SELECT FROM vellora.record v WHERE v.outcome = 'label ok' "
      "AND v.mac_found = r.mac_after))) "
      "ORDER BY r.id";
  WhenSchemaFits(done, [this, filter, done] {
    Conn.Run({kSql,
              {MacParam(filter.Mac), Text(filter.Station), Text(filter.Since),
               filter.Unconfirmed ? "true" : "false", filter.Unchecked ? "true" : "false"}},
             [done](const LineReply<LineRows>& reply) {
               if (!reply.Ok()) return done(Failure<std::vector<HistoryRow>>(reply, false));
               std::vector<HistoryRow> rows;
               for (const Row& r : reply.Value.Rows) {
                 HistoryRow& row = rows.emplace_back();
                 row.Id = NumberOf<std::int64_t>(r[0]);
                 row.At = TextOf(r[1]);
                 row.Changed = TextOf(r[2]);
                 row.Station = TextOf(r[3]);
                 row.DbUser = TextOf(r[4]);
                 row.Interface = TextOf(r[5]);
                 row.PcAddress = TextOf(r[6]);
                 row.Command = TextOf(r[7]);
                 row.MacBefore = TextOf(r[8]);
                 row.MacAfter = TextOf(r[9]);
                 if (r[10]) row.Serial = NumberOf<std::uint32_t>(r[10]);
                 row.Request = TextOf(r[11]);
                 row.Outcome = TextOf(r[12]);
                 row.Reason = TextOf(r[13]);
                 row.Label = TextOf(r[14]);
                 row.MacFound = TextOf(r[15]);
               }
               done({LineFailure::None, {}, std::move(rows)});
             });
  });
}
