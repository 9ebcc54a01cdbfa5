#include "tests/support/forked_child.h"

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>

namespace {

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

ForkedChild::ForkedChild(const int* gate, const Body& body, unsigned boundSeconds) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  Id = fork();
  if (Id == 0) {
    close(pipeFds[0]);
    alarm(boundSeconds);
    if (gate != nullptr) {
      close(gate[1]);
      char none;
      while (read(gate[0], &none, 1) < 0 && errno == EINTR) {
      }
    }
    std::string report;
    body(report);
    WriteAll(pipeFds[1], report);
    _exit(0);
  }
  close(pipeFds[1]);
  if (Id < 0)
    close(pipeFds[0]);
  else
    ReportFd = pipeFds[0];
}

ForkedChild::~ForkedChild() {
  Finish();
}

bool ForkedChild::WaitFor(const std::function<bool()>& event, int boundMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
  while (std::chrono::steady_clock::now() < end) {
    if (event()) return true;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(Id), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        info.si_pid != 0)
      return event();  // ended, or no such child
    sched_yield();
  }
  return false;
}

ForkedResult ForkedChild::Finish() {
  ForkedResult result;
  if (Id < 0 || Finished) return result;
  Finished = true;
  char chunk[4096];
  for (ssize_t got; (got = read(ReportFd, chunk, sizeof chunk)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    result.Report.append(chunk, static_cast<std::size_t>(got));
  }
  close(ReportFd);
  int status = 0;
  while (waitpid(Id, &status, 0) < 0 && errno == EINTR) {
  }
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return result;
}

ForkedResult InForkedChild(const ForkedChild::Body& body, unsigned boundSeconds) {
  return ForkedChild(body, boundSeconds).Finish();
}

std::vector<ForkedResult> InForkedChildren(
    int count, const std::function<void(int index, std::string& report)>& body,
    unsigned boundSeconds) {
  int gate[2];
  if (pipe(gate) != 0) return {};
  std::vector<std::unique_ptr<ForkedChild>> children;
  for (int i = 0; i < count; ++i) {
    children.push_back(std::unique_ptr<ForkedChild>(new ForkedChild(
        gate, [&](std::string& report) { body(i, report); }, boundSeconds)));
  }
  close(gate[1]);
  close(gate[0]);
  std::vector<ForkedResult> results;
  for (const auto& child : children)
    results.push_back(child->Finish());
  return results;
}
