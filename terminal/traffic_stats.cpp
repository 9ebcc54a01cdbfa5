#include "dialog/vellora.h"
#include "gateway/field_text.h"

namespace {

// The count of one period scaled to one second by the nominal period. The product is taken
// in 64 bits: in 32 bits it overflows from about 4.3 MB per period on.
std::uint32_t RateAndMark(std::uint32_t counter, std::uint32_t& shown, std::uint32_t period) {
  const std::uint32_t delta = counter - shown;
  shown = counter;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(delta) * 1000u / period);
}

std::string RateText(std::uint32_t rate) {
  return Format("%7.0f", static_cast<double>(static_cast<float>(rate)));
}

}  // namespace

void Vellora::EvTimer(unsigned timerId) {
  if (timerId != StatsTimerId) return;
  Ws().KillTimer(StatsTimerId);

  const std::uint32_t sentRate = RateAndMark(BytesSent, BytesSentShown, StatsTimerPeriod);
  const std::uint32_t receivedRate =
      RateAndMark(BytesReceived, BytesReceivedShown, StatsTimerPeriod);
  const std::uint32_t commandRate =
      RateAndMark(CommandsReceived, CommandsReceivedShown, StatsTimerPeriod);

  Ws().SetDlgItemText(IdSendRate, RateText(sentRate));
  Ws().SetDlgItemText(IdReceiveRate, RateText(receivedRate));
  Ws().SetDlgItemText(IdCommandRate, RateText(commandRate));
  Ws().SetDlgItemText(IdCommandTotal,
                      Format("%lu", static_cast<unsigned long>(CommandsReceivedShown)));
  Ws().SetDlgItemText(IdReceiveTotal,
                      Format("%lu", static_cast<unsigned long>(BytesReceivedShown)));
  Ws().SetDlgItemText(IdSendTotal, Format("%lu", static_cast<unsigned long>(BytesSentShown)));

  NoteUnansweredSearch();
  if (Ws().IsDlgButtonChecked(IdVerifyMacCheck)) VerifyLabelMac();

  if (Ws().SetTimer(StatsTimerId, StatsTimerPeriod) == 0) {
    Ws().MessageBox(true, "", "Kein Timer f\xFCr Refresh der Socket-Baudrateanzeige verf\xFCgbar",
                    MB_OK);
  }
}

void Vellora::CmClearStats() {
  BytesSent = BytesSentShown = 0;
  BytesReceived = BytesReceivedShown = 0;
  CommandsReceived = CommandsReceivedShown = 0;
}
