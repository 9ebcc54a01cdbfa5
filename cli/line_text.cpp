#include "cli/line_text.h"

#include <vector>

namespace {

enum class Kind { Number, Word, Text };
struct Field {
  const char* Key;
  std::string Value;
  Kind Is;
  bool Missing = false;
};

// A JSON string, which a shell line reads as well; DEL and the C1 controls (U+0080 to U+009F,
// 0xC2 0x80-0x9F in UTF-8) are escaped too, as a terminal would act on them.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      quoted += Format("\\u%04X", c);
    } else if (c == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      quoted += Format("\\u%04X", static_cast<unsigned char>(text[++i]));
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

std::string Line(const std::vector<Field>& fields) {
  std::string line;
  for (const Field& field : fields) {
    line += (line.empty() ? "" : " ") + std::string(field.Key) + "=" +
            (field.Is == Kind::Text ? Quoted(field.Value) : field.Value);
  }
  return line;
}

std::string Json(const std::vector<Field>& fields) {
  std::string json;
  for (const Field& field : fields) {
    json += (json.empty() ? "{" : ",") + Quoted(field.Key) + ":" +
            (field.Missing              ? std::string("null")
             : field.Is == Kind::Number ? field.Value
                                        : Quoted(field.Value));
  }
  return json + "}";
}

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
  return Line(Fields(row));
}
std::string HistoryJson(const HistoryRow& row) {
  return Json(Fields(row));
}

std::string PoolLine(const PoolState& pool) {
  return Line({{"prefix", pool.Prefix, Kind::Word},
               {"first", std::to_string(pool.First), Kind::Number},
               {"last", std::to_string(pool.Last), Kind::Number},
               {"next", std::to_string(pool.Next), Kind::Number},
               {"left", std::to_string(pool.Left), Kind::Number}});
}

std::string StationLine(const StationDay& day) {
  return Line({{"station", day.Station, Kind::Text},
               {"taken-today", std::to_string(day.Taken), Kind::Number},
               {"sent-today", std::to_string(day.Sent), Kind::Number},
               {"confirmed-today", std::to_string(day.Confirmed), Kind::Number}});
}
