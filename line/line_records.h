#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "line/line_outcome.h"
#include "protocol/text_values.h"

// The first three bytes of the MACs a pool gives.
using MacPrefix = std::array<std::uint8_t, 3>;

// Where a row is written from.
struct LinePlace {
  std::string Station;    // the station's name (vellora-cli --station, default the host name)
  std::string Interface;  // the PC's network interface; empty: not named
  std::string PcAddress;  // the PC's address the request leaves from, "a.b.c.d"; empty: none
};

// A pool: the serial numbers First to Last (at most 16777215) after the prefix.
struct PoolRange {
  MacPrefix Prefix{};
  std::uint32_t First = 0;
  std::uint32_t Last = 0;
};

struct PoolInitDone {
  bool Made = false;          // false: the same pool was there already
  int SchemaFrom = 0;         // the schema's version before (0: there was none)
  bool StationsRole = false;  // the role vellora_station exists and was given its rights
};

struct TakeRequest {
  MacPrefix Prefix{};
  LinePlace Place;
  std::string Command = "assign";
  std::optional<MacAddress> MacBefore;  // the module's MAC, the one it answers with now
  // Builds the request that will carry the new MAC. Its bytes are stored in the row, and the
  // row made durable, before the take is reported.
  std::function<std::vector<std::uint8_t>(const MacAddress& mac)> Request;
};

struct TakenNumber {
  std::int64_t RecordId = 0;
  std::uint32_t Serial = 0;
  MacAddress Mac{};
  std::uint64_t Left = 0;  // numbers left in the pools of the prefix
};

// A row for a write that takes no number, or for a label check.
struct RecordRow {
  LinePlace Place;
  std::string Command;  // "set", "reboot", "set-mac", "eeprom", "verify" ...
  std::optional<MacAddress> MacBefore, MacAfter;
  std::vector<std::uint8_t> Request;
  LineOutcome Outcome = LineOutcome::Sending;  // Sending, Refused, LabelOk or LabelWrong
  std::string Reason;
  std::string Label;                   // a label check: the label as read
  std::optional<MacAddress> MacFound;  // a label check: the MAC that answered
};

struct PoolState {
  std::string Prefix;  // "0A:0B:0C"
  std::uint32_t First = 0, Last = 0, Next = 0;
  std::uint64_t Left = 0;
};
struct StationDay {
  std::string Station;
  std::uint64_t Taken = 0, Sent = 0, Confirmed = 0;
};
struct LineStatus {
  std::vector<PoolState> Pools;
  std::vector<StationDay> Today;  // numbers taken per station since midnight, server time
};

struct HistoryFilter {
  std::optional<MacAddress> Mac;  // rows where the MAC was before, after or found
  std::string Station;            // empty: every station
  std::string Since;              // a time as PostgreSQL reads it; empty: from the first row
  bool Unconfirmed = false;       // numbers taken whose module never confirmed its new MAC
  bool Unchecked = false;         // MACs given that no label check has found
};

// A row as the record holds it, in text; an empty text is a value the row does not have.
struct HistoryRow {
  std::int64_t Id = 0;
  std::string At, Changed;  // "2026-12-06 15:40:12.123+01"
  std::string Station, DbUser, Interface, PcAddress, Command;
  std::string MacBefore, MacAfter, MacFound;  // "0A:0B:0C:00:00:05"
  std::optional<std::uint32_t> Serial;
  std::string Request;  // hexadecimal
  std::string Outcome, Reason, Label;
};
