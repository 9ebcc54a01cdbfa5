#include "dialog/vellora.h"

namespace {

constexpr std::int32_t kLineCap = 298;  // characters kept of an over-long line

}  // namespace

void Vellora::ReadTcpData() {
  if (!TcpSocket) return;
  std::uint8_t buffer[2048];
  int count = 2047;
  if (TcpSocket->Read(buffer, count) == -1) return;
  if (count <= 0) return;
  if (count > 2047) count = 2047;
  BytesReceived += static_cast<std::uint32_t>(count);

  for (int i = 0; i < count; ++i) {
    const std::uint8_t byte = buffer[i];
    if (byte == '\r') {
      ReceiveLine[ReceiveLineLength] = 0;
      ReceiveLineLength = 0;
      AddDebugLine(ReceiveLine);
    } else if (byte != '\n') {
      ReceiveLine[ReceiveLineLength] = static_cast<char>(byte);
      if (++ReceiveLineLength >= kLineCap) ReceiveLineLength = kLineCap;
    }
  }
}
