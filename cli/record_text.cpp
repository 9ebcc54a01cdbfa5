#include "cli/record_text.h"

#include <cstring>
#include <vector>

#include "protocol/windows1252.h"

namespace {

// Numbers stand bare everywhere; words (a MAC, an address) are quoted only in JSON; texts are
// quoted in both.
enum class Kind { Number, Word, Text };
struct Field {
  const char* Key;
  std::string Value;
  Kind Is;
};

std::vector<Field> Fields(const GatewayRecord& r) {
  const unsigned serial =
      (static_cast<unsigned>(r.Mac[3]) << 16) | (static_cast<unsigned>(r.Mac[4]) << 8) | r.Mac[5];
  return {{"mac", ColonMac(MacOf(r)), Kind::Word},
          {"actual", DottedQuad(r.ActualIp), Kind::Word},
          {"ip", DottedQuad(r.Ip), Kind::Word},
          {"netmask", DottedQuad(r.Netmask), Kind::Word},
          {"gateway", DottedQuad(r.GatewayIp), Kind::Word},
          {"dns", DottedQuad(r.DnsIp), Kind::Word},
          {"dhcp", std::to_string(r.UseDhcp), Kind::Number},
          {"name", Windows1252ToUtf8(r.Name), Kind::Text},
          {"server", Windows1252ToUtf8(r.Server), Kind::Text},
          {"use-proxy", std::to_string(r.UseProxy), Kind::Number},
          {"proxy", Windows1252ToUtf8(r.ProxyServer), Kind::Text},
          {"port", std::to_string(r.Port), Kind::Number},
          {"serial", std::to_string(serial), Kind::Number}};
}

// Quotes a text, escaping what a JSON string escapes (which a shell line reads as well).
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      quoted += Format("\\u%04X", static_cast<unsigned>(c));
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string RecordLine(const GatewayRecord& record) {
  std::string line;
  for (const Field& field : Fields(record)) {
    line += (line.empty() ? "" : " ") + std::string(field.Key) + "=" +
            (field.Is == Kind::Text ? Quoted(field.Value) : field.Value);
  }
  return line;
}

std::string RecordJson(const GatewayRecord& record) {
  std::string json;
  for (const Field& field : Fields(record)) {
    json += (json.empty() ? "{" : ",") + Quoted(field.Key) + ":" +
            (field.Is == Kind::Number ? field.Value : Quoted(field.Value));
  }
  return json + "}";
}

std::string ColonMac(const MacAddress& mac) {
  return Format("%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

MacAddress MacOf(const GatewayRecord& record) {
  MacAddress mac;
  std::memcpy(mac.data(), record.Mac, mac.size());
  return mac;
}
