#include "cli/line_text.h"

#include <vector>

#include "cli/text_fields.h"

namespace {

using Kind = FieldKind;
using Field = TextField;

Field Optional(const char* key, const std::string& value, Kind kind) {
  return {key, value, kind, value.empty()};
}

std::vector<Field> Fields(const HistoryRow& row) {
  return {{"id", std::to_string(row.Id), Kind::Number},
          {"at", row.At, Kind::Text},
          {"station", row.Station, Kind::Text},
          {"db-user", row.DbUser, Kind::Text},
          Optional("interface", row.Interface, Kind::Text),
          Optional("pc", row.PcAddress, Kind::Word),
          {"command", row.Command, Kind::Text},
          Optional("mac-before", row.MacBefore, Kind::Word),
          Optional("mac-after", row.MacAfter, Kind::Word),
          Optional("serial", row.Serial ? std::to_string(*row.Serial) : "", Kind::Number),
          {"outcome", row.Outcome, Kind::Text},
          Optional("reason", row.Reason, Kind::Text),
          Optional("label", row.Label, Kind::Text),
          Optional("mac-found", row.MacFound, Kind::Word),
          Optional("request", row.Request, Kind::Word),
          Optional("changed", row.Changed, Kind::Text)};
}

}  // namespace

std::string HistoryLine(const HistoryRow& row) {
  return FieldsLine(Fields(row));
}
std::string HistoryJson(const HistoryRow& row) {
  return FieldsJson(Fields(row));
}

std::string PoolLine(const PoolState& pool) {
  return FieldsLine({{"prefix", pool.Prefix, Kind::Word},
                     {"first", std::to_string(pool.First), Kind::Number},
                     {"last", std::to_string(pool.Last), Kind::Number},
                     {"next", std::to_string(pool.Next), Kind::Number},
                     {"left", std::to_string(pool.Left), Kind::Number}});
}

std::string StationLine(const StationDay& day) {
  return FieldsLine({{"station", day.Station, Kind::Text},
                     {"taken-today", std::to_string(day.Taken), Kind::Number},
                     {"sent-today", std::to_string(day.Sent), Kind::Number},
                     {"confirmed-today", std::to_string(day.Confirmed), Kind::Number}});
}
