#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/gateway_sim/datagram.h"
#include "tools/gateway_sim/options.h"

// Deliberately broken or overwhelming answers to a search, for robustness tests of a receiver.
enum HostileKind : unsigned {
  HostileLengthField = 1u << 0,   // full replies whose length field says 185, and 187
  HostileShort = 1u << 1,         // the first 100 bytes of a reply, header intact
  HostileLong = 1u << 2,          // a reply padded to 255 bytes, and to 300 bytes
  HostileNoNul = 1u << 3,         // name, server and proxy fields filled without a NUL
  HostileBadCommand = 1u << 4,    // command 0x04 with length 181, command 0x02 with length 186
  HostileBadFirstByte = 1u << 5,  // a reply whose byte 0 is 0x01
  HostileManyMacs = 1u << 6,      // valid replies from many distinct MACs
  HostileFlood = 1u << 7,         // many copies of every reply per search
  HostileStream = 1u << 8,        // replies sent continuously for a while after each search
};

// Every kind that yields malformed datagrams ("malformed" on the command line).
inline constexpr unsigned kHostileMalformed = HostileLengthField | HostileShort | HostileLong |
                                              HostileNoNul | HostileBadCommand |
                                              HostileBadFirstByte;

inline constexpr std::size_t kShortReplyLength = 100;
inline constexpr std::size_t kLongReplyLength = 255;
inline constexpr std::size_t kOverlongReplyLength = 300;
// many-macs numbers its gateways from this MAC upward.
inline constexpr std::uint8_t kManyMacsBase[6] = {0x02, 0xBA, 0xD0, 0x00, 0x00, 0x01};

// "kind[,kind...]" with the names used in the help text; sets the HostileKind bits.
bool ParseHostileKinds(std::string_view text, unsigned& kinds, std::string& error);
// The kinds set in `kinds`, comma-separated, or "-" for none.
std::string HostileKindsText(unsigned kinds);

// Appends the malformed variants of `gateway`'s reply that `kinds` asks for.
void AppendMalformedReplies(const GatewaySetup& gateway, unsigned kinds,
                            std::vector<Datagram>& out);
// Appends `count` valid replies that copy `model`'s settings under distinct MACs from
// kManyMacsBase upward, named "many-1", "many-2", ...
void AppendManyMacReplies(const GatewaySetup& model, int count, std::vector<Datagram>& out);
