#include "gateway/record_texts.h"

#include "protocol/text_values.h"

RecordTexts TextsOfRecord(const GatewayRecord& record) {
  RecordTexts texts;
  for (std::size_t i = 0; i < texts.Mac.size(); ++i)
    texts.Mac[i] = Format("%02X", record.Mac[i]);
  const unsigned long serial = (static_cast<unsigned long>(record.Mac[3]) << 16) |
                               (static_cast<unsigned long>(record.Mac[4]) << 8) | record.Mac[5];
  const std::string digits = Format("%08lu", serial);
  for (std::size_t pair = 0; pair < texts.Serial.size(); ++pair)
    texts.Serial[pair] = digits.substr(2 * pair, 2);
  for (int k = 0; k < 4; ++k)
    texts.ActualIp[static_cast<std::size_t>(k)] = std::to_string(record.ActualIp.Octet(k));
  texts.Settings = SettingsOfRecord(record);
  return texts;
}
