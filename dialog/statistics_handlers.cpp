#include "dialog/vellora.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"

void Vellora::EvTimer(unsigned timerId) {
  if (timerId != kStatsTimerId) return;
  // Stopped while the tick runs: a message box of the label check holds no further tick.
  Ws().KillTimer(kStatsTimerId);

  const TrafficStats::Shown shown = Statistics.Tick(Terminal.Counters(), kStatsTimerPeriod);
  Ws().SetDlgItemText(IdSendRate, TrafficStats::RateText(shown.SentRate));
  Ws().SetDlgItemText(IdReceiveRate, TrafficStats::RateText(shown.ReceivedRate));
  Ws().SetDlgItemText(IdCommandRate, TrafficStats::RateText(shown.CommandRate));
  Ws().SetDlgItemText(IdCommandTotal, std::to_string(shown.Totals.CommandsReceived));
  Ws().SetDlgItemText(IdReceiveTotal, std::to_string(shown.Totals.BytesReceived));
  Ws().SetDlgItemText(IdSendTotal, std::to_string(shown.Totals.BytesSent));

  Udp.Tick();
  const SearchWait::End searched = SearchWaiting.Tick();
  if (searched == SearchWait::End::Unanswered) {
    // The list's entry carries the carrier as the PC reports it now.
    if (const int chosen = Udp.ChosenPosition(); chosen >= 0)
      ShowNoAnswer(Udp.PcAddresses().At(chosen));
  } else if (searched == SearchWait::End::Answered && Gateways.Unlisted() > 0) {
    AddDebugLine(SearchWait::UnlistedLine(Gateways.Unlisted(), GatewayList::kCapacity).c_str());
  }
  if (Ws().IsDlgButtonChecked(IdVerifyMacCheck)) VerifyLabelMac();

  if (Ws().SetTimer(kStatsTimerId, kStatsTimerPeriod) == 0) {
    Ws().MessageBox(true, "", "Kein Timer f\xFCr Refresh der Socket-Baudrateanzeige verf\xFCgbar",
                    MB_OK);
  }
}

void Vellora::CmClearStats() {
  Terminal.ClearCounters();
  Statistics.Clear();
}
