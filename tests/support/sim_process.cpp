#include "tests/support/sim_process.h"

#include <arpa/inet.h>
#include <signal.h>

#include <cstdlib>
#include <utility>

namespace {

std::vector<std::string> Command(const std::string& netns, std::vector<std::string> args) {
  if (netns.empty())
    args.insert(args.begin(), {"--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0"});
  args.insert(args.begin(), GATEWAY_SIM_PATH);
  return args;
}

}  // namespace

SimProcess::SimProcess(const std::string& netns, std::vector<std::string> args)
    : child_(netns, Command(netns, std::move(args))) {
  ready_ = TakeLine("ready", {}, 5000);
}

SimProcess::~SimProcess() {
  Stop(SIGTERM);  // falls back to SIGKILL if it does not stop
}

std::uint16_t SimProcess::Port(std::string_view key) const {
  const std::size_t colon = ready_.find(':', ready_.find(' ' + std::string(key) + '='));
  const int port = colon == std::string::npos ? 0 : std::atoi(ready_.c_str() + colon + 1);
  return htons(static_cast<std::uint16_t>(port));
}

std::ptrdiff_t SimProcess::Find(std::string_view event,
                                std::initializer_list<std::string_view> parts, int timeoutMs) {
  std::ptrdiff_t found = -1;
  std::size_t checked = 0;
  child_.WaitFor(
      [&] {
        const std::string& out = child_.Out();
        for (std::size_t end; (end = out.find('\n', split_)) != std::string::npos; split_ = end + 1)
          lines_.push_back(out.substr(split_, end - split_));
        for (; checked < lines_.size(); ++checked) {
          // The event is the second word: after the time, before a blank or the end.
          const std::string& line = lines_[checked];
          bool match =
              (line.substr(line.find(' ') + 1) + ' ').rfind(std::string(event) + ' ', 0) == 0;
          for (const std::string_view part : parts)
            match = match && line.find(part) != std::string::npos;
          if (match) {
            found = static_cast<std::ptrdiff_t>(checked);
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::string SimProcess::TakeLine(std::string_view event,
                                 std::initializer_list<std::string_view> parts, int timeoutMs) {
  const std::ptrdiff_t at = Find(event, parts, timeoutMs);
  if (at < 0) return {};
  std::string taken = std::move(lines_[static_cast<std::size_t>(at)]);
  lines_.erase(lines_.begin() + at);
  return taken;
}

std::optional<std::vector<std::string>> SimProcess::TakeBefore(
    std::string_view event, std::initializer_list<std::string_view> parts, int timeoutMs) {
  const std::ptrdiff_t at = Find(event, parts, timeoutMs);
  if (at < 0) return std::nullopt;
  std::vector<std::string> before(lines_.begin(), lines_.begin() + at);
  lines_.erase(lines_.begin(), lines_.begin() + at + 1);
  return before;
}

int SimProcess::Stop(int signal) {
  if (!child_.Started()) return -1;
  child_.Signal(signal);
  return child_.Finish(3000).Status;
}
