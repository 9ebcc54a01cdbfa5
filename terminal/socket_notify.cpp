#include "dialog/vellora.h"
#include "gateway/field_text.h"

long Vellora::EvSocketNotify(std::uintptr_t, std::intptr_t lParam) {
  const unsigned event = LowWord(static_cast<std::uint64_t>(lParam));
  const unsigned error = HighWord(static_cast<std::uint64_t>(lParam));

  // Both sockets raise the same notification, so a read tries the datagram first and the
  // stream second, whichever socket it came from.
  if (event == FD_READ) {
    if (error != 0) {
      AddDebugLine(Format("Vellora: TCP/IP Error while reading (Winsock:%5u)", error).c_str());
      return 1;
    }
    ReceiveGatewayReply();
    ReadTcpData();
    return 1;
  }
  if (event == FD_CONNECT) {
    if (TcpState != TcpConnecting) return 1;
    if (error == 0) {
      EnterTcpConnected();
    } else {
      AddDebugLine(Format("Vellora: TCP/IP Error while connecting (Winsock:%5u)", error).c_str());
      EnterTcpIdle();
    }
    return 1;
  }
  if (event == FD_CLOSE) {
    if (error != 0) {
      AddDebugLine(Format("Vellora: TCP/IP Error closing socket (Winsock:%5u)", error).c_str());
    }
    EnterTcpIdle();
  }
  return 1;
}

long Vellora::EvHostLookupDone(std::uintptr_t, std::intptr_t lParam) {
  const unsigned error = HighWord(static_cast<std::uint64_t>(lParam));
  if (UdpState != UdpBound || TcpState != TcpLookingUp) return 1;
  if (error != 0) {
    AddDebugLine("Vellora: Error on looking up address");
    CloseUdpEndpoint();
    EnterTcpIdle();
  } else {
    UdpState = UdpReady;
  }
  return 1;
}
