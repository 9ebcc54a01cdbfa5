#include "gateway/production_commands.h"

#include <algorithm>

#include "gateway/field_text.h"
#include "gateway/serial_number.h"
#include "protocol/messages.h"
#include "protocol/text_values.h"

namespace {

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& request) {
  return std::vector<std::uint8_t>(request.begin(), request.end());
}

CommandOutcome Refuse(const char* command, int field, const std::string& name) {
  return {{}, Refusal{field, Format("Vellora: %s not sent, %s is empty", command, name.c_str())}};
}

// Reads the typed MAC bytes into `mac`; a refusal when one is empty.
std::optional<CommandOutcome> ReadMac(const char* command, std::span<const std::string> typed,
                                      std::uint8_t* mac) {
  for (std::size_t i = 0; i < typed.size(); ++i) {
    const auto value = ReadHex(typed[i]);
    if (!value) return Refuse(command, static_cast<int>(i), Format("MAC byte %zu", i + 1));
    mac[i] = static_cast<std::uint8_t>(*value & 0xFF);
  }
  return std::nullopt;
}

// The request giving the target `newMac`, or the refusal of a MAC that must not be given.
CommandOutcome GiveMac(const char* command, const GatewayRecord& target, const MacAddress& newMac,
                       int field, const MacUser& inUse) {
  const std::string text = MacText(newMac);
  if (const auto unusable = UnusableMacReason(newMac)) {
    return {{},
            Refusal{field, Format("Vellora: %s not sent, %s is %s: no module can use it", command,
                                  text.c_str(), unusable->c_str())}};
  }
  // The target's own MAC may be given again: that makes no second module with it.
  const bool own = std::equal(newMac.begin(), newMac.end(), target.Mac);
  if (const auto user = own || !inUse ? std::nullopt : inUse(newMac)) {
    return {{},
            Refusal{field, Format("Vellora: %s not sent, %s is in use: %s answered the last "
                                  "search with it",
                                  command, text.c_str(), user->c_str())}};
  }
  return {Bytes(BuildSetMacRequest(target, newMac)), std::nullopt};
}

}  // namespace

MacAddress NewMacOf(std::span<const std::uint8_t> request) {
  MacAddress mac{};
  if (request.size() >= kSetMacRequestLength)
    std::copy_n(request.begin() + kHeaderLength, mac.size(), mac.begin());
  return mac;
}

CommandOutcome SetMacCommand(const GatewayRecord& target, std::span<const std::string, 6> mac,
                             const MacUser& inUse) {
  MacAddress newMac{};
  if (auto refused = ReadMac("Set MAC", mac, newMac.data())) return *refused;
  return GiveMac("Set MAC", target, newMac, 0, inUse);
}

SetAndIncrOutcome SetAndIncrCommand(const GatewayRecord& target,
                                    std::span<const std::string, 3> macStart,
                                    std::span<const std::string, 4> serial, const MacUser& inUse) {
  constexpr const char* kCommand = "Set & Incr.";
  MacAddress newMac{};
  if (auto refused = ReadMac(kCommand, macStart, newMac.data())) return {*refused, {}};
  std::array<std::uint32_t, 4> pairs{};
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const auto pair = ReadDecimal(serial[i]);
    if (!pair)
      return {
          Refuse(kCommand, static_cast<int>(3 + i), Format("new serial number pair %zu", i + 1)),
          {}};
    pairs[i] = *pair;
  }
  const SerialNumber number = SerialNumber::FromPairs(pairs);
  if (!number.CanBeGiven()) {
    return {{{},
             Refusal{3, Format("Vellora: %s not sent, serial number %llu is above the largest, %u "
                               "(FF FF FF)",
                               kCommand, static_cast<unsigned long long>(number.Value()),
                               SerialNumber::kLargest)}},
            {}};
  }
  const auto low = number.MacBytes();
  std::copy(low.begin(), low.end(), newMac.begin() + 3);
  CommandOutcome outcome = GiveMac(kCommand, target, newMac, 0, inUse);
  if (outcome.Refused) return {outcome, {}};
  return {outcome, number.Next().Pairs()};
}

std::optional<Refusal> ReadMacStart(std::span<const std::string, 3> typed, MacStart& start) {
  if (auto refused = ReadMac("Set & Incr.", typed, start.data())) return refused->Refused;
  return std::nullopt;
}

SetAndIncrOutcome SetAndIncrForNumber(const GatewayRecord& target, const MacStart& start,
                                      std::uint64_t number, const MacUser& inUse) {
  const std::array<std::string, 3> typed = {Format("%02X", start[0]), Format("%02X", start[1]),
                                            Format("%02X", start[2])};
  return SetAndIncrCommand(target, typed, SerialNumber::FromValue(number).Pairs(), inUse);
}

MacAddress MacOfSerial(const MacStart& start, std::uint32_t serial) {
  const auto low = SerialNumber::FromValue(serial).MacBytes();
  return {start[0], start[1], start[2], low[0], low[1], low[2]};
}

CommandOutcome SetEepromCommand(const GatewayRecord& target, const std::string& address,
                                const std::string& value) {
  constexpr const char* kCommand = "Set EEPROM value";
  const auto cell = ReadHex(address);
  if (!cell) return Refuse(kCommand, 0, "EEPROM address");
  const auto byte = ReadHex(value);
  if (!byte) return Refuse(kCommand, 1, "EEPROM value");
  return {Bytes(BuildSetEepromRequest(target, *cell, *byte)), std::nullopt};
}
