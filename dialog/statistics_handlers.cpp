#include "dialog/vellora.h"
#include "protocol/text_values.h"

void Vellora::EvTimer(unsigned timerId) {
  if (timerId != kStatsTimerId) return;
  // Stopped while the tick runs: a message box of the label check holds no further tick.
  Ws().KillTimer(kStatsTimerId);

  const TrafficStats::Shown shown = Statistics.Tick(Terminal.Counters(), kStatsTimerPeriod);
  SendRate->SetText(TrafficStats::RateText(shown.SentRate));
  ReceiveRate->SetText(TrafficStats::RateText(shown.ReceivedRate));
  CommandRate->SetText(TrafficStats::RateText(shown.CommandRate));
  CommandTotal->SetText(std::to_string(shown.Totals.CommandsReceived));
  ReceiveTotal->SetText(std::to_string(shown.Totals.BytesReceived));
  SendTotal->SetText(std::to_string(shown.Totals.BytesSent));

  Udp.Tick();
  const SearchWait::End searched = SearchWaiting.Tick();
  if (searched == SearchWait::End::Unanswered) {
    // The list's entry carries the carrier as the PC reports it now.
    if (const int chosen = Udp.ChosenPosition(); chosen >= 0)
      ShowNoAnswer(Udp.PcAddresses().At(chosen));
  } else if (searched == SearchWait::End::Answered && Gateways.Unlisted() > 0) {
    AddDebugLine(SearchWait::UnlistedLine(Gateways.Unlisted(), GatewayList::kCapacity).c_str());
  }
  if (VerifyMacCheck->IsChecked()) VerifyLabelMac();
  ShowNextSerial();

  if (Ws().SetTimer(kStatsTimerId, kStatsTimerPeriod) == 0) {
    Ws().MessageBox(true, "", "Kein Timer f\xFCr Refresh der Socket-Baudrateanzeige verf\xFCgbar",
                    MB_OK);
  }
}

void Vellora::CmClearStats() {
  Terminal.ClearCounters();
  Statistics.Clear();
}
