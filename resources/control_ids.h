#pragma once

#include <array>

#include "protocol/settings_fields.h"

// Ids of the main dialog's controls that the program addresses. The settings' controls are
// named by the settings table.

// Gateway selection
inline constexpr int IdPcIpCombo = 11073;
inline constexpr int IdGatewayCombo = 11230;
inline constexpr int IdSearchButton = 11089;
inline constexpr int IdGatewayCount = 11248;

// Settings
inline constexpr int IdSetMacButton = 11237;
inline constexpr int IdRebootButton = 11204;
inline constexpr int IdSetIncrButton = 11244;
inline constexpr int IdConnectButton = 11025;
inline constexpr int IdStateText = 11024;
inline constexpr int IdSetButton = 11202;
inline constexpr int IdUseDhcpCheck = Setting("dhcp").ControlId;
inline constexpr int IdNameEdit = Setting("name").ControlId;
inline constexpr int IdServerEdit = Setting("server").ControlId;
inline constexpr int IdProxyEdit = Setting("proxy").ControlId;
inline constexpr int IdPortEdit = Setting("port").ControlId;
inline constexpr int IdUseProxyCheck = Setting("use-proxy").ControlId;

// MAC bytes 1..6, the current serial number (display only) and the new one
inline constexpr int IdMacEdit1 = 11210;
inline constexpr int IdMacEdit6 = 11205;
inline constexpr int kSerialShownIds[4] = {11257, 11256, 11255, 11254};
inline constexpr int IdSerialShown4 = kSerialShownIds[3];

// Production row
inline constexpr int IdLabelMacEdit = 11258;
inline constexpr int IdVerifyMacCheck = 11259;
inline constexpr int IdExpandButton = 11236;
inline constexpr int IdSetEepromButton = 11240;
inline constexpr int IdEepromAddressEdit = 11239;
inline constexpr int IdEepromValueEdit = 11241;

// Debug area
inline constexpr int IdReceiveRate = 11042;
inline constexpr int IdReceiveTotal = 11041;
inline constexpr int IdClearStatsButton = 11072;
inline constexpr int IdCommandRate = 11043;
inline constexpr int IdCommandTotal = 11044;
inline constexpr int IdClearListButton = 11030;
inline constexpr int IdSendRate = 11039;
inline constexpr int IdSendTotal = 11040;
inline constexpr int IdDebugList = 11038;

// The address in use, first octet first.
inline constexpr int kActualIpEditIds[4] = {11234, 11233, 11232, 11231};
// Every octet edit: the address in use, then each address of the settings table in its order,
// four each, first octet first.
inline constexpr std::size_t kOctetEditCount = [] {
  std::size_t count = 4;
  for (const SettingField& field : kSettingFields)
    count += field.Kind == SettingKind::Address ? 4 : 0;
  return count;
}();
inline constexpr std::array<int, kOctetEditCount> kOctetEditIds = [] {
  std::array<int, kOctetEditCount> ids{};
  std::size_t at = 0;
  for (const int id : kActualIpEditIds)
    ids[at++] = id;
  for (const SettingField& field : kSettingFields)
    for (int k = 0; field.Kind == SettingKind::Address && k < 4; ++k)
      ids[at++] = field.ControlId - k;
  return ids;
}();
inline constexpr int kMacEditIds[6] = {11210, 11209, 11208, 11207, 11206, 11205};
inline constexpr int kSerialEditIds[4] = {11253, 11247, 11246, 11245};
