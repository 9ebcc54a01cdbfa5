#include "dialog/vellora.h"
#include "protocol/text_values.h"

long Vellora::EvSocketNotify(std::uintptr_t, std::intptr_t lParam) {
  const unsigned event = LowWord(static_cast<std::uint64_t>(lParam));
  const unsigned error = HighWord(static_cast<std::uint64_t>(lParam));

  // Both sockets raise the same notification, so a read tries the datagram first and the
  // stream second, whichever socket it came from.
  if (event == FD_READ) {
    if (error != 0) {
      Udp.ReadFailed(error);
      return 1;
    }
    ReceiveGatewayReply();
    ReadTcpData();
  } else if (event == FD_CONNECT) {
    Terminal.ConnectNotified(error);
  } else if (event == FD_CLOSE) {
    Terminal.CloseNotified(error);
  }
  return 1;
}

long Vellora::EvHostLookupDone(std::uintptr_t, std::intptr_t lParam) {
  const unsigned error = HighWord(static_cast<std::uint64_t>(lParam));
  // A look-up's end is shared: it counts only while both sides wait for one.
  if (Udp.GetState() != UdpState::Bound || Terminal.State() != TcpState::LookingUp) return 1;
  if (error != 0) {
    AddDebugLine("Vellora: Error on looking up address");
    Udp.Close();
    Terminal.LookupFailed();
  } else {
    Udp.LookupSucceeded();
  }
  return 1;
}
