#include "bench/udp_replies/gateway_list_check.h"

#include <QComboBox>
#include <algorithm>
#include <cstring>

#include "bench/common/bench_program.h"
#include "bench/udp_replies/reply_flooder.h"
#include "platform/qt/qt_window_system.h"

std::vector<std::string> CheckGatewayList(BenchProgram& program, int distinct) {
  std::vector<std::string> faults;
  Vellora& dialog = program.Dialog();
  QtWindowSystem& windows = program.Windows();
  const int expected = std::min(distinct, kMaxGateways);

  if (dialog.GatewayCount != expected) {
    faults.push_back("GatewayCount " + std::to_string(dialog.GatewayCount) + ", expected " +
                     std::to_string(expected));
  }
  const std::string countText = windows.GetDlgItemText(IdGatewayCount, 16);
  if (countText != std::to_string(expected)) faults.push_back("count shows \"" + countText + "\"");

  const auto* combo = qobject_cast<QComboBox*>(windows.ControlWidget(IdGatewayCombo));
  if (combo == nullptr) {
    faults.push_back("no gateway combo box");
    return faults;
  }
  if (combo->count() != expected) {
    faults.push_back("combo box holds " + std::to_string(combo->count()) + " entries");
  }
  if (combo->currentIndex() != 0) {
    faults.push_back("combo box selection " + std::to_string(combo->currentIndex()));
  }
  for (int i = 0; i < std::min(expected, combo->count()); ++i) {
    const GatewayRecord want = ReplyFlooder::Record(i);
    char macText[kMacTextSize];
    FormatMacText(want.Mac, macText);
    if (combo->itemText(i).toStdString() != macText) {
      faults.push_back("combo entry " + std::to_string(i) + " is " +
                       combo->itemText(i).toStdString() + ", expected " + macText);
    }
    const GatewayRecord& got = dialog.GatewayList[i];
    if (std::memcmp(got.Mac, want.Mac, sizeof want.Mac) != 0 || got.ActualIp != want.ActualIp ||
        std::strcmp(got.Name, want.Name) != 0) {
      faults.push_back("record " + std::to_string(i) + " differs from what was sent");
    }
  }
  const std::string name = windows.GetDlgItemText(IdNameEdit, 64);
  if (name != ReplyFlooder::Record(0).Name) faults.push_back("name field shows \"" + name + "\"");
  return faults;
}
