#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "gateway/command_outcome.h"
#include "gateway/new_mac_rules.h"
#include "protocol/gateway_record.h"

// The production line's commands, addressed to a module by the MAC it reports now. An empty
// field is never a value on the wire: it refuses the command and names the field. A new MAC
// that no module can use, or that another module answered the last search with (`inUse`), is
// refused too.

// "Set MAC": the six MAC bytes typed, as hexadecimal. Fields 0 to 5.
CommandOutcome SetMacCommand(const GatewayRecord& target, std::span<const std::string, 6> mac,
                             const MacUser& inUse);

// "Set && Incr.": the first three MAC bytes typed (fields 0 to 2) and the running serial number
// from its four pairs of decimal digits (fields 3 to 6) make the new MAC. A serial number
// beyond FF FF FF is refused, never cut to fit. With the request comes the number the next
// module gets, as its four pairs.
struct SetAndIncrOutcome {
  CommandOutcome Command;
  std::array<std::string, 4> NextSerial;
};
SetAndIncrOutcome SetAndIncrCommand(const GatewayRecord& target,
                                    std::span<const std::string, 3> macStart,
                                    std::span<const std::string, 4> serial, const MacUser& inUse);

// The first three bytes of a MAC: the line's prefix.
using MacStart = std::array<std::uint8_t, 3>;

// The first three MAC bytes typed (fields 0 to 2), into `start`; the refusal of "Set && Incr."
// that names the first empty one.
std::optional<Refusal> ReadMacStart(std::span<const std::string, 3> typed, MacStart& start);

// "Set && Incr." with the serial number taken from a counter file or the line's pool instead of
// the four edits: the same request, refusals and next number.
SetAndIncrOutcome SetAndIncrForNumber(const GatewayRecord& target, const MacStart& start,
                                      std::uint64_t number, const MacUser& inUse);

// The MAC of the prefix and the serial number, which must be one that can be given.
MacAddress MacOfSerial(const MacStart& start, std::uint32_t serial);

// The new MAC a set-MAC request carries.
MacAddress NewMacOf(std::span<const std::uint8_t> request);

// "Set EEPROM value": the cell's address (field 0) and the byte (field 1), hexadecimal.
CommandOutcome SetEepromCommand(const GatewayRecord& target, const std::string& address,
                                const std::string& value);
