#pragma once

#include <string>

#include "line/line_records.h"

// The line database's rows as vellora-cli prints them: one line of key=value pairs, or one
// JSON object. Texts (a station's name, a reason, a label) are quoted, with every control
// character escaped, so that no row can steer the terminal; in JSON a missing value is null.
//
//   id=7 at="2026-12-06 10:15:02.114+01" station="press-3" db-user="station1" interface="eth1"
//   pc=10.88.1.1 command=assign mac-before=02:00:00:00:00:01 mac-after=0A:0B:0C:00:00:05
//   serial=5 outcome="confirmed" reason="" label="" mac-found= request=4e65...
//   changed="2026-12-06 10:15:03.020+01"
std::string HistoryLine(const HistoryRow& row);
std::string HistoryJson(const HistoryRow& row);

// prefix=0A:0B:0C first=0 last=999 next=17 left=983
std::string PoolLine(const PoolState& pool);
// station="press-3" taken-today=12 sent-today=12 confirmed-today=11
std::string StationLine(const StationDay& day);
