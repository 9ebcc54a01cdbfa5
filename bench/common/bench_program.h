#pragma once

// The program as its main() builds it: the real Qt window (offscreen when QT_QPA_PLATFORM says
// so), the Qt event loop and the POSIX socket layer, started by the application object as the
// tests start it. For
// measuring, the sockets pass through a counting layer, and a probe timer on the same event
// loop ticks once a second as the program's own timer does. Make it on a thread inside the
// program's namespace: the first search leaves during construction.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/counting_sockets.h"

class QtWindowSystem;
class QtEventLoop;
class QtProgram;
class PosixSocketLayer;
class TickProbe;

class BenchProgram {
 public:
  using Clock = std::chrono::steady_clock;

  BenchProgram();
  ~BenchProgram();
  BenchProgram(const BenchProgram&) = delete;
  BenchProgram& operator=(const BenchProgram&) = delete;

  QtWindowSystem& Windows();
  const SocketReadCounts& Counts() const { return Counting->Counts(); }
  // The address the program's UDP socket is bound to, its port as bound.
  TINetSocketAddress DatagramAddress() const { return Counting->DatagramAddress(); }
  // What a control shows; the entries of a drop-down list; the debug list's lines.
  std::string Text(int id) const;
  std::vector<std::string> Entries(int comboId) const;
  std::vector<std::string> DebugLines() const;
  // "caption: text" of each message box the program showed; each was closed at once.
  std::vector<std::string> Boxes() const;

  // Clicks a button of the dialog as a user would (it must be shown and enabled); false when
  // it is not.
  bool Click(int id);

  // Runs the event loop, as the program's own loop runs, for the given time; `every` runs
  // each `period` meanwhile (from a timer of the same loop).
  void RunFor(std::chrono::milliseconds duration, std::chrono::milliseconds period = {},
              const std::function<void()>& every = nullptr);
  // Runs the event loop until the condition holds; false when the bound passed first.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

  // How late the probe's one-second ticks came over [from, to): each is due one period after
  // the previous one was done, as the program's own tick is.
  struct Lateness {
    int Ticks = 0;
    double WorstMs = 0;
    double MeanMs = 0;
  };
  Lateness LatenessBetween(Clock::time_point from, Clock::time_point to) const;

 private:
  std::unique_ptr<QtEventLoop> Loop;
  std::unique_ptr<PosixSocketLayer> Posix;
  std::unique_ptr<CountingSocketLayer> Counting;
  std::unique_ptr<QtProgram> Program;
  std::unique_ptr<TickProbe> Probe;
};
