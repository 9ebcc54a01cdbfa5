#include "udp/search_wait.h"

#include "platform/socket_layer.h"
#include "protocol/text_values.h"

std::string SearchWait::NoAnswerLine(std::uint32_t pcAddress) {
  return "Vellora: No module answered the search from " + DottedQuad(NetworkToHostLong(pcAddress)) +
         ". If modules are connected, a firewall on this PC may drop their replies: UDP from "
         "port 8003 must be allowed in.";
}
