#pragma once

// Ids of the main dialog's controls that the program addresses.

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
inline constexpr int IdUseDhcpCheck = 11223;
inline constexpr int IdNameEdit = 11203;
inline constexpr int IdServerEdit = 11235;
inline constexpr int IdProxyEdit = 11243;
inline constexpr int IdPortEdit = 11036;
inline constexpr int IdUseProxyCheck = 11242;

// MAC bytes 1..6 and the current serial number (display only)
inline constexpr int IdMacEdit1 = 11210;
inline constexpr int IdMacEdit6 = 11205;
inline constexpr int IdSerialShown1 = 11257;
inline constexpr int IdSerialShown2 = 11256;
inline constexpr int IdSerialShown3 = 11255;
inline constexpr int IdSerialShown4 = 11254;

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

// Field tables the handlers walk, in order: current IP, IP, netmask, default gateway, DNS
// server (four octets each, first octet first); MAC bytes 1..6; new serial number pairs.
inline constexpr int kOctetEditIds[20] = {11234, 11233, 11232, 11231, 11222, 11221, 11220,
                                          11219, 11218, 11217, 11216, 11215, 11214, 11213,
                                          11212, 11211, 11252, 11251, 11250, 11249};
inline constexpr int kMacEditIds[6] = {11210, 11209, 11208, 11207, 11206, 11205};
inline constexpr int kSerialEditIds[4] = {11253, 11247, 11246, 11245};
