#include "udp/search_wait.h"

#include "platform/socket_layer.h"
#include "protocol/text_values.h"

std::array<std::string, 2> SearchWait::NoAnswerLines(const PcAddress& from) {
  return {"Vellora: No module answered the search from " + DottedQuad(from.Address) + ".",
          from.LinkUp
              ? "Vellora: A firewall may drop the replies: let UDP from port 8003 in."
              : "Vellora: The link of " + from.InterfaceName + " is down: check the cable."};
}

std::string SearchWait::UnlistedLine(int unlisted, int listed) {
  return Format(
      "Vellora: %d more module%s answered the search and %s not listed: the list holds %d",
      unlisted, unlisted == 1 ? "" : "s", unlisted == 1 ? "is" : "are", listed);
}
