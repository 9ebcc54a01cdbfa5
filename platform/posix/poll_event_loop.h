#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/event_loop.h"

// A TEventLoop on poll(2) for programs without a toolkit: tests, benchmarks and tools.
//
// One pass of the loop (RunOnce) waits for readiness, a posted call or the next timer, runs the
// calls that were posted before the pass, then the timers that are due, then every enabled
// watch whose descriptor was found ready.
// Watches are level-triggered: a watch whose condition still holds is called again in the next
// pass. A watch removed or disabled during a pass is not called later in that pass.
// Post may be called from any thread; everything else belongs to the thread that runs the loop.
class PollEventLoop final : public TEventLoop {
 public:
  using Clock = std::chrono::steady_clock;

  PollEventLoop();
  ~PollEventLoop() override;
  PollEventLoop(const PollEventLoop&) = delete;
  PollEventLoop& operator=(const PollEventLoop&) = delete;

  int AddWatch(int fd, WatchKind kind, Callback callback) override;
  void EnableWatch(int watchId, bool enabled) override;
  void RemoveWatch(int watchId) override;
  void Post(Callback call) override;
  int StartTimer(std::chrono::milliseconds delay, Callback callback) override;
  void StopTimer(int timerId) override;

  // One pass; waits at most `timeout` (negative: without limit) when nothing is ready.
  // Yields the number of watch callbacks and posted calls run.
  int RunOnce(std::chrono::milliseconds timeout);
  // Runs passes until done() holds or the deadline has passed; yields done().
  bool RunUntil(const std::function<bool()>& done, Clock::time_point deadline);
  // Runs passes for the given time (for checks that something does not happen).
  void RunFor(std::chrono::milliseconds duration);
  // Runs passes until Quit is called (from a callback or a posted call).
  void Run();
  void Quit();

  // Number of watches in the loop, enabled or not.
  int WatchCount() const { return static_cast<int>(Watches.size()); }

 private:
  struct Watch {
    int Fd;
    WatchKind Kind;
    Callback Call;
    bool Enabled = true;
    bool Removed = false;
  };

  bool HasPosted();
  int RunPosted();
  int RunDueTimers();
  void DrainWakeUp();

  std::map<int, std::shared_ptr<Watch>> Watches;
  int NextWatchId = 1;
  // Timers by due time; the id finds its entry to stop it.
  std::multimap<Clock::time_point, std::pair<int, Callback>> Timers;
  std::map<int, std::multimap<Clock::time_point, std::pair<int, Callback>>::iterator> TimerById;
  int NextTimerId = 1;
  bool QuitRequested = false;

  // Posted calls and the eventfd that wakes a waiting pass; shared with other threads.
  std::mutex PostedMutex;
  std::deque<Callback> Posted;
  int WakeFd = -1;
};
