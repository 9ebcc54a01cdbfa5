#include "platform/posix/poll_event_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <vector>

PollEventLoop::PollEventLoop() {
  WakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

PollEventLoop::~PollEventLoop() {
  if (WakeFd >= 0) close(WakeFd);
}

int PollEventLoop::AddWatch(int fd, WatchKind kind, Callback callback) {
  const int id = NextWatchId++;
  if (NextWatchId <= 0) NextWatchId = 1;
  Watches[id] = std::make_shared<Watch>(Watch{fd, kind, std::move(callback)});
  return id;
}

void PollEventLoop::EnableWatch(int watchId, bool enabled) {
  const auto it = Watches.find(watchId);
  if (it != Watches.end()) it->second->Enabled = enabled;
}

void PollEventLoop::RemoveWatch(int watchId) {
  const auto it = Watches.find(watchId);
  if (it == Watches.end()) return;
  // The pass that is running may still hold the watch; the flag keeps it from being called.
  it->second->Removed = true;
  Watches.erase(it);
}

void PollEventLoop::Post(Callback call) {
  {
    const std::lock_guard lock(PostedMutex);
    Posted.push_back(std::move(call));
  }
  if (WakeFd >= 0) {
    const std::uint64_t one = 1;
    // A full counter already means "wake up"; nothing to do on failure.
    [[maybe_unused]] const ssize_t written = write(WakeFd, &one, sizeof one);
  }
}

int PollEventLoop::StartTimer(std::chrono::milliseconds delay, Callback callback) {
  const int id = NextTimerId++;
  if (NextTimerId <= 0) NextTimerId = 1;
  TimerById[id] = Timers.emplace(Clock::now() + delay, std::pair(id, std::move(callback)));
  return id;
}

void PollEventLoop::StopTimer(int timerId) {
  const auto it = TimerById.find(timerId);
  if (it == TimerById.end()) return;
  Timers.erase(it->second);
  TimerById.erase(it);
}

int PollEventLoop::RunDueTimers() {
  // Timers started by these calls wait for the next pass, even when already due.
  const Clock::time_point now = Clock::now();
  std::vector<int> due;
  for (auto it = Timers.begin(); it != Timers.end() && it->first <= now; ++it)
    due.push_back(it->second.first);
  int ran = 0;
  for (const int id : due) {
    const auto found = TimerById.find(id);
    if (found == TimerById.end()) continue;  // stopped by an earlier call of this pass
    Callback call = std::move(found->second->second.second);
    Timers.erase(found->second);
    TimerById.erase(found);
    call();
    ++ran;
  }
  return ran;
}

bool PollEventLoop::HasPosted() {
  const std::lock_guard lock(PostedMutex);
  return !Posted.empty();
}

void PollEventLoop::DrainWakeUp() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = read(WakeFd, &count, sizeof count);
}

int PollEventLoop::RunPosted() {
  std::deque<Callback> calls;
  {
    const std::lock_guard lock(PostedMutex);
    calls.swap(Posted);
  }
  // Calls posted by these calls wait for the next pass.
  for (auto& call : calls)
    call();
  return static_cast<int>(calls.size());
}

int PollEventLoop::RunOnce(std::chrono::milliseconds timeout) {
  std::vector<pollfd> fds;
  std::vector<std::shared_ptr<Watch>> polled;
  fds.reserve(Watches.size() + 1);
  polled.reserve(Watches.size());
  fds.push_back(pollfd{WakeFd, POLLIN, 0});
  for (const auto& [id, watch] : Watches) {
    if (!watch->Enabled) continue;
    const short events = watch->Kind == WatchKind::Read ? POLLIN : POLLOUT;
    fds.push_back(pollfd{watch->Fd, events, 0});
    polled.push_back(watch);
  }

  if (!Timers.empty()) {
    const auto untilTimer =
        std::chrono::ceil<std::chrono::milliseconds>(Timers.begin()->first - Clock::now());
    const auto wait = std::max(untilTimer, std::chrono::milliseconds(0));
    if (timeout.count() < 0 || wait < timeout) timeout = wait;
  }
  int waitMs = -1;
  if (HasPosted()) {
    waitMs = 0;
  } else if (timeout.count() >= 0) {
    waitMs = static_cast<int>(std::min<std::chrono::milliseconds::rep>(timeout.count(), INT_MAX));
  }
  const int ready = poll(fds.data(), fds.size(), waitMs);
  if (ready < 0) {
    for (auto& fd : fds)
      fd.revents = 0;  // interrupted: nothing to report this pass
  }
  if (fds[0].revents != 0) DrainWakeUp();

  int ran = RunPosted();
  ran += RunDueTimers();
  for (std::size_t i = 0; i < polled.size(); ++i) {
    const short revents = fds[i + 1].revents;
    if (revents == 0) continue;
    Watch& watch = *polled[i];
    if (watch.Removed || !watch.Enabled) continue;
    if ((revents & POLLNVAL) != 0) {
      // The descriptor was closed under the watch; calling it would spin without end.
      watch.Enabled = false;
      continue;
    }
    const short wanted = watch.Kind == WatchKind::Read ? (POLLIN | POLLHUP | POLLERR)
                                                       : (POLLOUT | POLLHUP | POLLERR);
    if ((revents & wanted) == 0) continue;
    watch.Call();
    ++ran;
  }
  return ran;
}

bool PollEventLoop::RunUntil(const std::function<bool()>& done, Clock::time_point deadline) {
  while (!done()) {
    const auto now = Clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    RunOnce(left);
  }
  return true;
}

void PollEventLoop::RunFor(std::chrono::milliseconds duration) {
  const auto deadline = Clock::now() + duration;
  RunUntil([] { return false; }, deadline);
}

void PollEventLoop::Run() {
  QuitRequested = false;
  while (!QuitRequested)
    RunOnce(std::chrono::milliseconds(-1));
  QuitRequested = false;
}

void PollEventLoop::Quit() {
  QuitRequested = true;
}
