#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "line/line_database.h"
#include "platform/posix/poll_event_loop.h"
#include "tools/command_line/command_line.h"

// The options of a command that works with the line database: --line CONNINFO (default: the
// environment variable VELLORA_LINE) and --station NAME (default: the host name).
struct LineOptions {
  std::string Conninfo;
  std::string Station;

  // `station`: whether the command names the station (a command that writes rows does).
  void AddTo(CommandLine& line, bool station = true);
  // After the parse: takes the defaults and checks the CONNINFO. Nothing when the command is to
  // go on, else the exit status 2, with the reason said: no CONNINFO, one libpq cannot read, or
  // one that holds a password (a password is never taken on the command line; .pgpass is the
  // place for it). No message shows the CONNINFO's password.
  std::optional<int> Resolve(const CommandLine& line);
  // For a command that records its rows when a line database is named (--line, or a
  // VELLORA_LINE that is not empty): `named` says whether one is, and it is resolved as above.
  // --station without one is refused: its rows would be written nowhere.
  std::optional<int> ResolveIfNamed(const CommandLine& line, bool& named);
  // Whether the line database is named by --line or by VELLORA_LINE.
  static bool Named(const CommandLine& line);
};

// Runs the loop until the call has called back, within `bound`, and yields what it called back
// with; nothing when it did not.
template <class T>
std::optional<T> AwaitCall(PollEventLoop& loop,
                           const std::function<void(std::function<void(const T&)>)>& call,
                           std::chrono::milliseconds bound) {
  auto reply = std::make_shared<std::optional<T>>();
  call([reply](const T& answer) { *reply = answer; });
  loop.RunUntil([&] { return reply->has_value(); }, PollEventLoop::Clock::now() + bound);
  return *reply;
}

// Runs the loop until the call has called back, and yields its reply. The line database
// answers within its timeouts; should it not, the reply is Lost after `bound`.
template <class T>
LineReply<T> AwaitLine(PollEventLoop& loop,
                       const std::function<void(LineDatabase::Callback<T>)>& call,
                       std::chrono::milliseconds bound) {
  if (const std::optional<LineReply<T>> reply = AwaitCall<LineReply<T>>(loop, call, bound))
    return *reply;
  LineReply<T> late;
  late.Failure = LineFailure::Lost;
  late.Message = "the line database did not answer in time";
  return late;
}

// How long a command waits for one call of the line database: long enough for its timeouts.
std::chrono::milliseconds LineBound(const LineTimeouts& timeouts);
