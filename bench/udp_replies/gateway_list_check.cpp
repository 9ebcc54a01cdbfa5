#include "bench/udp_replies/gateway_list_check.h"

#include <QComboBox>
#include <algorithm>

#include "bench/common/bench_program.h"
#include "bench/udp_replies/reply_flooder.h"
#include "platform/qt/qt_window_system.h"
#include "resources/control_ids.h"

namespace {

constexpr int kListed = 20;  // the most gateways the program lists

}  // namespace

std::vector<std::string> CheckGatewayList(BenchProgram& program, int distinct) {
  std::vector<std::string> faults;
  const int expected = std::min(distinct, kListed);
  const std::string countText = program.Text(IdGatewayCount);
  if (countText != std::to_string(expected)) faults.push_back("count shows \"" + countText + "\"");

  const std::vector<std::string> entries = program.Entries(IdGatewayCombo);
  if (static_cast<int>(entries.size()) != expected)
    faults.push_back("the list holds " + std::to_string(entries.size()) + " entries");
  const auto* combo = qobject_cast<QComboBox*>(program.Windows().ControlWidget(IdGatewayCombo));
  if (combo != nullptr && combo->currentIndex() != 0)
    faults.push_back("list selection " + std::to_string(combo->currentIndex()));
  for (int i = 0; i < std::min(expected, static_cast<int>(entries.size())); ++i) {
    char macText[kMacTextSize];
    FormatMacText(ReplyFlooder::Record(i).Mac, macText);
    if (entries[static_cast<std::size_t>(i)] != macText)
      faults.push_back("entry " + std::to_string(i) + " is " +
                       entries[static_cast<std::size_t>(i)] + ", expected " + macText);
  }
  // The first gateway's own reply is what the fields show.
  const std::string name = program.Text(IdNameEdit);
  if (name != ReplyFlooder::Record(0).Name) faults.push_back("name field shows \"" + name + "\"");
  return faults;
}
