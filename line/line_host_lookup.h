#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/event_loop.h"

// Looks up the host names of a CONNINFO on a thread of its own. libpq looks a host name up
// itself, blocking, while it starts to connect; given the addresses (hostaddr) beside the
// names, it does not, and still uses the names to check the server's certificate and to find
// the password in .pgpass. A name with several addresses becomes one host for each, so that
// libpq tries them in turn as it would.
//
// Not looked up here: hosts of a service file, and a CONNINFO that gives hostaddr itself.
class LineHostLookup {
 public:
  // The values of host, hostaddr and port to give libpq beside the CONNINFO; all empty when
  // there is nothing to add. Error: why no host could be found.
  struct Found {
    std::string Host, HostAddr, Port;
    std::string Error;
  };
  using Done = std::function<void(const Found& found)>;

  explicit LineHostLookup(TEventLoop& loop);
  ~LineHostLookup();
  LineHostLookup(const LineHostLookup&) = delete;
  LineHostLookup& operator=(const LineHostLookup&) = delete;

  // Whether the CONNINFO names a host by a name that libpq would look up.
  static bool Needed(const std::string& conninfo);
  // Looks the names up and calls back from the loop. A new start, Forget or the end of the
  // LineHostLookup drops a look-up still running: its thread ends on its own, unheard.
  void Start(const std::string& conninfo, Done done);
  void Forget() { Current.reset(); }

 private:
  // The loop, for the threads to post to while it is there.
  struct Mailbox {
    std::mutex Lock;
    TEventLoop* Loop;
  };
  std::shared_ptr<Mailbox> Mail;
  std::shared_ptr<Done> Current;
};
