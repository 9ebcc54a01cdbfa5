// Requests as the tool builds them, exact bytes on the wire; and the gateway's side of the
// codec, which the simulator uses: a request decodes to what the tool meant or is refused, and
// a built reply parses back into the same record.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/messages.h"
#include "tests/support/sample_record.h"

namespace {

// A text field of `width` bytes on the wire, as hexadecimal: the text, then zeros.
std::string TextField(const std::string& text, std::size_t width) {
  std::string field = text;
  field.resize(width, '\0');
  return Hex(std::span(reinterpret_cast<const std::uint8_t*>(field.data()), field.size()));
}

TEST(Requests, EachIsItsHeaderWithTheModulesMacAndItsBody) {
  const GatewayRecord r = RecordWithMac(0x07);
  EXPECT_EQ(Hex(BuildSearchRequest()), "0001000000000000000a");
  EXPECT_EQ(Hex(BuildRebootRequest(r)), "0005020000000007000a");
  const std::uint8_t newMac[6] = {0x00, 0x1A, 0x2B, 0x00, 0x00, 0x01};
  EXPECT_EQ(Hex(BuildSetMacRequest(r, newMac)), "00060200000000070010001a2b000001");
  // Sixteen address bits and eight value bits; higher bits of what was entered are dropped.
  EXPECT_EQ(Hex(BuildSetEepromRequest(r, 0xABC, 0x5A)), "0007020000000007000d0abc5a");
  EXPECT_EQ(Hex(BuildSetEepromRequest(r, 0x1F0, 0xA5)).substr(20), "01f0a5");
  EXPECT_EQ(Hex(BuildSetEepromRequest(r, 7, 0)).substr(20), "000700");
  EXPECT_EQ(Hex(BuildSetEepromRequest(r, 0x12345, 0x1A5)).substr(20), "2345a5");
}

TEST(Requests, SetConfigPlacesEveryFieldAtItsOffsetAndCutsTextsAndPortToTheirWidth) {
  GatewayRecord r = SampleRecord();
  r.UseDhcp = 1;
  r.ActualIp = Ipv4(1, 2, 3, 4);  // never travels in this message
  // Header, DHCP, IP, netmask, gateway; name, server; proxy flag, proxy; port, DNS.
  EXPECT_EQ(Hex(BuildSetConfigRequest(r)),
            "000402000012345600b501c0a80132ffffff00c0a80101" + TextField("line-3-station-12", 21) +
                TextField("collector.plant.example", 65) + "01" +
                TextField("proxy.plant.example", 65) + "1f9008080808");
  for (const auto& [port, wire] : {std::pair{8003u, "1f43"}, {70000u, "1170"}, {0u, "0000"}}) {
    r.Port = port;
    EXPECT_EQ(Hex(BuildSetConfigRequest(r)).substr(350, 4), wire) << port;
  }
  std::memset(r.Name, 'N', 25);
  r.Name[25] = 0;
  std::memset(r.Server, 'S', 64);
  r.Server[64] = 'X';  // no terminator inside the field: the last wire byte is forced to 0
  std::memset(r.ProxyServer, 'P', 65);
  EXPECT_EQ(Hex(BuildSetConfigRequest(r)).substr(46, 304),
            TextField(std::string(20, 'N'), 21) + TextField(std::string(64, 'S'), 65) + "01" +
                TextField(std::string(64, 'P'), 65));
}

TEST(GatewaySide, RequestsDecodeToWhatTheToolMeantAndRepliesRoundTrip) {
  GatewayRecord r = SampleRecord();
  r.UseDhcp = 1;
  const auto reply = BuildGatewayInfoReply(r, 0x42);
  EXPECT_EQ(reply[10], 0x42);
  ParsedReply p;
  ASSERT_TRUE(ParseGatewayInfoReply(reply, 8003, p));
  EXPECT_EQ(std::memcmp(&p.Record, &r, sizeof r), 0);

  GatewayRequest q;
  ASSERT_TRUE(DecodeGatewayRequest(BuildSetConfigRequest(r), q));
  EXPECT_EQ(q.Command, CmdSetConfigRequest);
  EXPECT_EQ(q.Settings.Ip, r.Ip);
  EXPECT_STREQ(q.Settings.ProxyServer, "proxy.plant.example");
  ASSERT_TRUE(DecodeGatewayRequest(BuildSetEepromRequest(r, 0x1F0, 0xA5), q));
  EXPECT_EQ(q.EepromAddress, 0x1F0);
  EXPECT_EQ(q.EepromValue, 0xA5);

  // Malformed: short, a wrong length field, a wrong first byte, a reply, a cut set-config.
  auto search = BuildSearchRequest();
  EXPECT_FALSE(DecodeGatewayRequest(std::span(search).first(9), q));
  for (const auto& [at, value] : {std::pair{9, 0x0B}, {0, 0x01}, {1, 0x03}}) {
    search = BuildSearchRequest();
    search[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
    EXPECT_FALSE(DecodeGatewayRequest(search, q)) << at;
  }
  const auto config = BuildSetConfigRequest(kEmptyGatewayRecord);
  EXPECT_FALSE(DecodeGatewayRequest(std::span(config).first(180), q));  // the header says 181
}

}  // namespace
