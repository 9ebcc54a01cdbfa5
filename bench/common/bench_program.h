#pragma once

// The program as its main() builds it: the real Qt window (offscreen when QT_QPA_PLATFORM says
// so), the Qt event loop and the POSIX socket layer, the dialog made and shown the way the
// application object does it. For measuring, the sockets pass through a counting layer and the
// dialog's timer ticks are timestamped. Make it on a thread inside the program's namespace:
// the first search leaves during construction.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/counting_sockets.h"
#include "bench/common/ticked_vellora.h"

class QtWindowSystem;
class QtEventLoop;
class PosixSocketLayer;

class BenchProgram {
 public:
  BenchProgram();
  ~BenchProgram();
  BenchProgram(const BenchProgram&) = delete;
  BenchProgram& operator=(const BenchProgram&) = delete;

  TickedVellora& Dialog() { return *Window; }
  QtWindowSystem& Windows() { return *WindowSystem; }
  const SocketReadCounts& Counts() const { return Counting->Counts(); }
  // Texts of the message boxes the program showed; each was closed at once.
  const std::vector<std::string>& Boxes() const { return BoxTexts; }

  // Clicks a button of the dialog as a user would (it must be shown and enabled); false when
  // it is not.
  bool Click(int id);

  // Runs the event loop, as the program's own loop runs, for the given time; `every` runs
  // each `period` meanwhile (from a timer of the same loop).
  void RunFor(std::chrono::milliseconds duration, std::chrono::milliseconds period = {},
              const std::function<void()>& every = nullptr);
  // Runs the event loop until the condition holds; false when the bound passed first.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

 private:
  std::unique_ptr<QtWindowSystem> WindowSystem;
  std::unique_ptr<QtEventLoop> Loop;
  std::unique_ptr<PosixSocketLayer> Posix;
  std::unique_ptr<CountingSocketLayer> Counting;
  std::unique_ptr<TickedVellora> Window;
  std::vector<std::string> BoxTexts;
};
