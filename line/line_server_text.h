#pragma once

#include <string>
#include <vector>

// What a CONNINFO (a libpq connection string or URI) says about the server, in the form that
// messages show: the hosts, port, database, user and service, never a password.
struct LineServerText {
  // "host=/run/a,db2 port=5432 dbname=line user=station"; the keys the text does not give are
  // shown with libpq's defaults (PGHOST and the like). Empty when the text is no CONNINFO.
  std::string Name;
  // The passwords the text or libpq's defaults (PGPASSWORD) hold, to be masked in any message.
  std::vector<std::string> Secrets;
  // Whether the text itself holds a password (key "password" or the URI's user:password@).
  bool HasPassword = false;
  // Why the text is no CONNINFO, with nothing of the text quoted; empty when it is one.
  std::string Error;
};

LineServerText DescribeConninfo(const std::string& conninfo);

// `text` as one line (its line breaks and tabs made single blanks, trailing blanks cut) with
// every secret in it replaced by "****".
std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets);
