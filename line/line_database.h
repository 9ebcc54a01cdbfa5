#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line/line_connection.h"
#include "line/line_pool_init.h"
#include "line/line_records.h"
#include "line/line_reply.h"

// The line's serial-number pools and production record, for the window and vellora-cli alike.
// Each call is answered once, through its callback, from the event loop; nothing blocks. A
// caller in a hurry (vellora-cli) runs its loop until the callback has come; the timeouts
// bound the wait. Before the first call on each new connection the schema's version is checked:
// a database without the schema, or with another version, refuses every call but InitPool.
//
// A write's life in the record: TakeNumber (or AddRecord with Sending) before the request
// leaves, then SetOutcome with Sent or NotSent, then Confirmed or NotConfirmed when the caller
// checks. With a failed call, the request is not sent.
class LineDatabase {
 public:
  template <class T>
  using Callback = std::function<void(const LineReply<T>& reply)>;
  struct Nothing {};

  LineDatabase(TEventLoop& loop, std::string conninfo, LineTimeouts timeouts = {});

  // The server as messages name it, without its password.
  const std::string& Server() const { return Conn.Server(); }
  // The connection, for its state (Up, SetStateListener) and to open it early.
  LineConnection& Connection() { return Conn; }

  // Creates the schema if it is missing, brings an older one to this version, gives the
  // stations' role its rights, and makes the pool. Refused: a range above 16777215, one whose
  // MACs no module can use (the multicast bit, all zero), one that overlaps another pool, a
  // schema newer than this program's. The same pool again is done, with Made false.
  void InitPool(const PoolRange& range, Callback<PoolInitDone> done);
  // The number the prefix's pools give next, as it stands now: another station may take it
  // first. Nothing when they have none left, or there is no pool for the prefix. A caller
  // checks the MAC it makes before it takes a number, so that a MAC it must refuse uses up none.
  void NextNumber(const MacPrefix& prefix, Callback<std::optional<std::uint32_t>> done);
  // Takes the next number of the prefix's pools and writes the row "taken", in one
  // transaction, then stores the request's bytes in it, committed synchronously: when the
  // callback says done, the number is taken for good and its row is on the disk. A request
  // builder that yields no bytes refuses the MAC: the number is taken all the same, its row
  // has no request, and the caller moves it on to Refused. Refused: no pool for the prefix, or
  // an empty one (the message says how many were given). Lost: the number may have been taken;
  // it is never given again, and nothing may be sent. A Lost reply whose Value has a RecordId
  // is a take that was answered, whose request's bytes are not known to be stored: the caller
  // may move that row on to NotSent once the server answers again.
  void TakeNumber(TakeRequest request, Callback<TakenNumber> done);
  // Writes a row for a write that takes no number (Sending, before the request leaves; or
  // Refused), or for a label check (LabelOk, LabelWrong). Yields the row's id.
  void AddRecord(const RecordRow& row, Callback<std::int64_t> done);
  // Moves the row on (see LineOutcome); Refused when it cannot move there, or is no row.
  void SetOutcome(std::int64_t recordId, LineOutcome outcome, std::string reason,
                  Callback<Nothing> done);
  // Each pool's prefix, next, last and numbers left; per station, the numbers taken today.
  void Status(Callback<LineStatus> done);
  // The rows that pass the filter, oldest first.
  void History(const HistoryFilter& filter, Callback<std::vector<HistoryRow>> done);

 private:
  // Runs `then` once the connection's schema is known to be this program's version; else
  // calls back with the reason.
  template <class T>
  void WhenSchemaFits(const Callback<T>& done, std::function<void()> then);

  TEventLoop& Loop;
  const std::string Conninfo;
  const LineTimeouts Limits;
  LineConnection Conn;
  int CheckedGeneration = 0;
  std::vector<std::unique_ptr<LinePoolInit>> Inits;
};

// "0A:0B:0C".
std::string PrefixText(const MacPrefix& prefix);
