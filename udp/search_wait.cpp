#include "udp/search_wait.h"

#include "platform/socket_layer.h"
#include "protocol/text_values.h"

std::string SearchWait::NoAnswerLine(const PcAddress& from) {
  const std::string start =
      "Vellora: No module answered the search from " + DottedQuad(NetworkToHostLong(from.Address));
  if (!from.LinkUp)
    return start + ": the link of " + from.InterfaceName +
           " is down (no cable, or the other end is off).";
  return start +
         ". If modules are connected, a firewall on this PC may drop their replies: UDP from "
         "port 8003 must be allowed in.";
}

std::string SearchWait::UnlistedLine(int unlisted, int listed) {
  return Format("Vellora: %d more module%s answered the search and %s not listed: the list holds %d",
                unlisted, unlisted == 1 ? "" : "s", unlisted == 1 ? "is" : "are", listed);
}
