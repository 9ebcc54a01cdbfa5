// The simulated gateways without sockets: what each request does, reboots in time, and the
// random plan of delays, losses and duplicates.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/log_line.h"
#include "tools/gateway_sim/reply_faults.h"

namespace {

GatewaySetup Gateway(std::uint8_t last, std::uint8_t dhcp = 0) {
  GatewaySetup g;
  const std::uint8_t mac[6] = {0x02, 0, 0, 0, 0, last};
  std::memcpy(g.Record.Mac, mac, 6);
  g.Record.Ip = g.Record.ActualIp = 0x0A000000u + last;
  g.Record.UseDhcp = dhcp;
  return g;
}

GatewayRequest Request(GatewayCommand command, std::uint8_t last) {
  GatewayRequest r{};
  r.Command = command;
  if (command != CmdSearchRequest) r.Mac[0] = 0x02, r.Mac[5] = last;
  return r;
}

TEST(GatewaySimModel, SetConfigKeepsIdentityAndTheAddressInUseUntilReboot) {
  GatewayModel model({Gateway(1), Gateway(2, 1)}, 500);
  GatewayRequest config = Request(CmdSetConfigRequest, 1);
  config.Settings.Ip = 0x0B000001;
  std::strcpy(config.Settings.Name, "new");
  // The request's own Mac and ActualIp fields are zero: they must not reach the gateway.
  ASSERT_EQ(model.Handle(config, 0).Outcome, RequestOutcome::Applied);
  const GatewayRecord& r = model.Gateways()[0].Setup.Record;
  EXPECT_EQ(r.Mac[5], 1);
  EXPECT_EQ(r.ActualIp, 0x0A000001u);
  EXPECT_STREQ(r.Name, "new");

  config.Mac[5] = 2;  // the DHCP gateway keeps its address across the reboot
  config.Settings.UseDhcp = 1;
  model.Handle(config, 0);
  model.Handle(Request(CmdRebootRequest, 1), 1000);
  model.Handle(Request(CmdRebootRequest, 2), 1000);
  EXPECT_EQ(model.NextRebootEndMs(), 1500);
  EXPECT_TRUE(model.FinishReboots(1499).empty());
  const RequestResult during = model.Handle(Request(CmdSearchRequest, 0), 1499);
  EXPECT_EQ(during.Outcome, RequestOutcome::Rebooting);
  EXPECT_EQ(model.FinishReboots(1500), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(model.Gateways()[0].Setup.Record.ActualIp, 0x0B000001u);
  EXPECT_EQ(model.Gateways()[1].Setup.Record.ActualIp, 0x0A000002u);
  EXPECT_EQ(model.NextRebootEndMs(), -1);
}

TEST(GatewaySimModel, CommandsActOnEveryGatewayWithTheMacNamed) {
  GatewayModel model({Gateway(1), Gateway(7), Gateway(1)}, 0);
  GatewayRequest eeprom = Request(CmdSetEepromRequest, 1);
  eeprom.EepromAddress = 0xFFFF;
  eeprom.EepromValue = 0x42;
  const RequestResult result = model.Handle(eeprom, 0);
  EXPECT_EQ(result.Gateways, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(result.EepromPrevious, 0xFF);
  EXPECT_EQ(model.Gateways()[2].Eeprom[0xFFFF], 0x42);
  EXPECT_EQ(model.Gateways()[1].Eeprom[0xFFFF], 0xFF);

  GatewayRequest setMac = Request(CmdSetMacRequest, 7);
  setMac.NewMac[0] = 0x02;
  setMac.NewMac[5] = 9;
  model.Handle(setMac, 0);
  EXPECT_EQ(model.Handle(Request(CmdRebootRequest, 7), 0).Outcome, RequestOutcome::UnknownMac);
  EXPECT_EQ(model.Handle(Request(CmdRebootRequest, 9), 0).Gateways, (std::vector<std::size_t>{1}));
}

TEST(GatewaySimFaults, PlanIsSeededAndBounded) {
  ReplyFaultOptions options;
  options.DelayMs = 100;
  options.JitterMs = 20;
  options.Duplicates = 3;
  options.Loss = 0.5;
  options.Seed = 42;
  ReplyFaults first(options);
  ReplyFaults second(options);
  std::size_t sent = 0;
  for (int i = 0; i < 1000; ++i) {
    std::int64_t a[ReplyFaults::kMaxCopies];
    std::int64_t b[ReplyFaults::kMaxCopies];
    const std::size_t n = first.Plan(1000, a, ReplyFaults::kMaxCopies);
    ASSERT_EQ(n, second.Plan(1000, b, ReplyFaults::kMaxCopies));
    ASSERT_LE(n, 4u);
    for (std::size_t k = 0; k < n; ++k) {
      ASSERT_EQ(a[k], b[k]);
      ASSERT_GE(a[k], 1100);
      ASSERT_LE(a[k], 1120);
    }
    sent += n;
  }
  EXPECT_NEAR(static_cast<double>(sent) / 4000.0, 0.5, 0.05);
}

TEST(GatewaySimLog, TextsCannotBreakOrForgeALine) {
  const std::string text = LogLine("rx").Quoted("name", "a\"b\\c\r\nd\xE4 x=1").Text();
  EXPECT_EQ(text.substr(text.find(' ')), " rx name=\"a\\\"b\\\\c\\x0d\\x0ad\\xe4 x=1\"");
}

}  // namespace
