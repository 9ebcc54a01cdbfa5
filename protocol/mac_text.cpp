#include <cstdio>

#include "protocol/gateway_record.h"

void FormatMacText(const std::uint8_t mac[6], char (&text)[kMacTextSize]) {
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
}
