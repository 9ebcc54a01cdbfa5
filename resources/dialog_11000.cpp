#include "resources/dialog_11000.h"

#include <array>

#include "resources/control_names.h"

namespace {

using enum ControlKind;
constexpr std::uint32_t kRight = control_style::RightAligned;
constexpr std::uint32_t kDisabled = control_style::Disabled;
constexpr std::uint32_t kHScroll = control_style::AutoHScroll;

// Rows grouped by area and, within an area, by position; the Order column is the place in
// the template: creation order and tab order. Id -1: a control that is never addressed.
// clang-format off
constexpr auto kControls = std::to_array<DialogControl>({
    // Id, kind, text, x, y, w, h (dialog units), order, style, bitmap
    // Banner (top 55 units)
    {11229, Picture, "", -272, 0, 653, 55, 2, 0, 12262},  // background picture under the banner
    {12260, Picture, "", 0, 0, 659, 55, 98, 0, 11228},  // the banner
    // Gateway selection, inside the group box "Socket Communication"
    {11019, GroupBox, "Socket Communication", 4, 60, 300, 41, 4, 0, 0},  // frame of the gateway selection
    {11073, DropDownList, "", 45, 68, 91, 48, 29, 0, 0},  // PC address list ("PC-IP:")
    {11092, Label, "PC-IP:", 8, 71, 28, 10, 32, 0, 0},  // caption of 11073
    {11230, DropDownList, "", 45, 84, 91, 128, 31, 0, 0},  // gateways found, one MAC text each
    {11089, DefaultPushButton, "Search", 260, 84, 40, 14, 30, 0, 0},  // "Search" command
    {-1, Label, "MAC:", 8, 86, 32, 10, 13, 0, 0},  // label
    {-1, Label, "Gateways Online:", 137, 87, 63, 10, 84, kRight, 0},  // label
    {11248, Label, "?", 208, 87, 20, 9, 85, kRight, 0},  // number of gateways listed
    // Settings, inside the group box "Settings"
    {11091, GroupBox, "Settings", 4, 104, 300, 184, 3, 0, 0},  // frame of the settings
    {11237, PushButton, "Set MAC", 200, 111, 56, 14, 72, 0, 0},  // writes a new MAC; hidden while collapsed
    {11204, PushButton, "Reboot", 260, 111, 40, 14, 46, 0, 0},  // reboots the gateway
    {11210, Edit, "0", 44, 112, 20, 13, 40, 0, 0},  // MAC byte 1, hex; disabled while collapsed
    {11209, Edit, "0", 65, 112, 20, 13, 41, 0, 0},  // MAC byte 2, hex; disabled while collapsed
    {11208, Edit, "0", 86, 112, 20, 13, 42, 0, 0},  // MAC byte 3, hex; disabled while collapsed
    {11207, Edit, "0", 107, 112, 20, 13, 43, 0, 0},  // MAC byte 4, hex; disabled while collapsed
    {11206, Edit, "0", 128, 112, 20, 13, 44, 0, 0},  // MAC byte 5, hex; disabled while collapsed
    {11205, Edit, "0", 149, 112, 20, 13, 45, 0, 0},  // MAC byte 6, hex; disabled while collapsed
    {-1, Label, "MAC:", 9, 114, 31, 10, 37, 0, 0},  // label
    {11257, Edit, "0", 44, 127, 20, 13, 92, kDisabled, 0},  // current serial number, digits 1-2
    {11256, Edit, "0", 65, 127, 20, 13, 93, kDisabled, 0},  // current serial number, digits 3-4
    {11255, Edit, "0", 86, 127, 20, 13, 94, kDisabled, 0},  // current serial number, digits 5-6
    {11254, Edit, "0", 107, 127, 20, 13, 95, kDisabled, 0},  // current serial number, digits 7-8
    {11253, Edit, "00", 174, 127, 20, 13, 91, 0, 0},  // new serial number, digits 1-2; hidden while collapsed
    {11247, Edit, "00", 195, 127, 20, 13, 81, 0, 0},  // new serial number, digits 3-4; hidden while collapsed
    {11246, Edit, "00", 216, 127, 20, 13, 82, 0, 0},  // new serial number, digits 5-6; hidden while collapsed
    {11245, Edit, "00", 237, 127, 20, 13, 83, 0, 0},  // new serial number, digits 7-8; hidden while collapsed
    {11244, PushButton, "Set && Incr.", 260, 127, 40, 14, 80, 0, 0},  // writes MAC from serial number and advances it; hidden while collapsed
    {-1, Label, "Serial No.:", 8, 129, 36, 10, 36, 0, 0},  // label
    {11025, PushButton, "Connect", 260, 142, 40, 14, 7, 0, 0},  // TCP connect / cancel / disconnect; hidden while collapsed
    {11234, Edit, "0", 44, 143, 28, 13, 66, kDisabled, 0},  // current IP octet 1
    {11233, Edit, "0", 76, 143, 28, 13, 67, kDisabled, 0},  // current IP octet 2
    {11232, Edit, "0", 107, 143, 28, 13, 68, kDisabled, 0},  // current IP octet 3
    {11231, Edit, "0", 139, 143, 28, 13, 69, kDisabled, 0},  // current IP octet 4
    {11024, Label, "State: Idle", 178, 145, 76, 8, 6, 0, 0},  // TCP state text; hidden while collapsed
    {-1, Label, "Actual IP:", 9, 146, 35, 10, 65, 0, 0},  // label
    {-1, EtchedLine, "Frame1", 8, 158, 292, 1, 70, 0, 0},  // separator line; its text is not shown
    {11202, PushButton, "Set", 260, 161, 40, 14, 64, 0, 0},  // writes the settings
    {11222, Edit, "0", 44, 162, 28, 13, 47, 0, 0},  // IP octet 1
    {11221, Edit, "0", 76, 162, 28, 13, 48, 0, 0},  // IP octet 2
    {11220, Edit, "0", 107, 162, 28, 13, 49, 0, 0},  // IP octet 3
    {11219, Edit, "0", 139, 162, 28, 13, 50, 0, 0},  // IP octet 4
    {-1, Label, "IP:", 9, 164, 15, 10, 33, 0, 0},  // label
    {11218, Edit, "0", 44, 178, 28, 13, 51, 0, 0},  // netmask octet 1
    {11217, Edit, "0", 76, 178, 28, 13, 52, 0, 0},  // netmask octet 2
    {11216, Edit, "0", 107, 178, 28, 13, 53, 0, 0},  // netmask octet 3
    {11215, Edit, "0", 139, 178, 28, 13, 54, 0, 0},  // netmask octet 4
    {-1, Label, "Netmask:", 9, 180, 29, 10, 34, 0, 0},  // label
    {11214, Edit, "0", 44, 193, 28, 13, 55, 0, 0},  // default gateway octet 1
    {11213, Edit, "0", 76, 193, 28, 13, 56, 0, 0},  // default gateway octet 2
    {11212, Edit, "0", 107, 193, 28, 13, 57, 0, 0},  // default gateway octet 3
    {11211, Edit, "0", 139, 193, 28, 13, 58, 0, 0},  // default gateway octet 4
    {-1, Label, "Gateway:", 9, 194, 31, 10, 35, 0, 0},  // label
    {11252, Edit, "0", 44, 208, 28, 13, 87, 0, 0},  // DNS server octet 1
    {11251, Edit, "0", 76, 208, 28, 13, 88, 0, 0},  // DNS server octet 2
    {11250, Edit, "0", 107, 208, 28, 13, 89, 0, 0},  // DNS server octet 3
    {11249, Edit, "0", 139, 208, 28, 13, 90, 0, 0},  // DNS server octet 4
    {-1, Label, "DNS IP:", 9, 211, 31, 10, 86, 0, 0},  // label
    {11223, CheckBox, "Use DHCP", 10, 224, 99, 9, 59, 0, 0},  // DHCP flag
    {11203, Edit, "?", 44, 237, 192, 13, 61, kHScroll, 0},  // gateway name
    {-1, Label, "Name:", 9, 239, 31, 10, 39, 0, 0},  // label
    {11235, Edit, "?", 44, 252, 192, 13, 63, kHScroll, 0},  // server; disabled while collapsed
    {-1, Label, "Server:", 9, 254, 31, 10, 62, 0, 0},  // label
    {11243, Edit, "?", 44, 269, 140, 13, 76, kHScroll, 0},  // proxy server
    {11036, Edit, "0", 203, 269, 32, 13, 60, 0, 0},  // port
    {11242, CheckBox, "Use", 10, 271, 30, 9, 75, 0, 0},  // proxy flag
    {-1, Label, "Port:", 185, 271, 14, 10, 38, 0, 0},  // label
    {-1, Label, "as Proxyserver", 240, 271, 56, 10, 77, 0, 0},  // label
    // Production row, below the "Settings" group box
    {11258, Edit, "", 91, 290, 80, 13, 96, kHScroll, 0},  // MAC printed on the label
    {11259, CheckBox, "Verify MAC", 10, 292, 54, 9, 97, 0, 0},  // MAC verification on/off
    {11236, PushButton, ">>", 260, 292, 40, 14, 71, 0, 0},  // collapse / expand
    {-1, EtchedLine, "Frame1", 9, 308, 292, 1, 78, 0, 0},  // separator line; its text is not shown
    {11240, DefaultPushButton, "Set EEPROM value", 230, 311, 71, 14, 28, 0, 0},  // writes one EEPROM byte
    {11239, Edit, "", 72, 312, 33, 12, 9, 0, 0},  // EEPROM address, hex
    {11241, Edit, "", 143, 312, 28, 12, 73, 0, 0},  // EEPROM value, hex
    {-1, Label, "EERPOM address:", 9, 313, 63, 10, 74, 0, 0},  // label
    {-1, Label, "Value:", 118, 313, 22, 10, 79, 0, 0},  // label
    // Debug area, inside the group box "Debug Send/Receive"
    {11020, GroupBox, "Debug Send/Receive", 4, 324, 300, 135, 1, 0, 0},  // frame of the debug area
    {11061, Label, "Receive:", 8, 334, 32, 10, 16, 0, 0},  // label (never changed)
    {11042, Label, "Baudrate", 39, 334, 40, 10, 12, kRight, 0},  // receive rate, bytes per second
    {11068, Label, "Bytes/s", 81, 334, 27, 10, 24, 0, 0},  // label (never changed)
    {11065, Label, "Total:", 111, 334, 19, 10, 20, 0, 0},  // label (never changed)
    {11041, Label, "Gesamt", 130, 334, 40, 10, 22, kRight, 0},  // received bytes, total
    {-1, Label, "Bytes", 175, 334, 22, 10, 14, 0, 0},  // label
    {11072, DefaultPushButton, "Clear", 199, 335, 32, 32, 5, 0, 0},  // sets the six traffic counters to 0
    {11043, Label, "Baudrate", 39, 345, 40, 10, 18, kRight, 0},  // command rate
    {11060, Label, "Cmds/s", 82, 345, 26, 10, 15, 0, 0},  // label (never changed)
    {11044, Label, "Gesamt In", 130, 345, 40, 10, 27, kRight, 0},  // commands, total
    {11070, Label, "Cmds", 175, 345, 22, 10, 26, 0, 0},  // label (never changed)
    {11030, PushButton, "Clear", 267, 354, 30, 14, 8, 0, 0},  // empties the debug list
    {11062, Label, "Send:", 8, 357, 28, 10, 17, 0, 0},  // label (never changed)
    {11039, Label, "Baudrate", 39, 357, 40, 10, 11, kRight, 0},  // send rate, bytes per second
    {11064, Label, "Bytes/s", 82, 357, 26, 10, 19, 0, 0},  // label (never changed)
    {11066, Label, "Total:", 111, 357, 19, 10, 21, 0, 0},  // label (never changed)
    {11040, Label, "Gesamt Out", 130, 357, 40, 10, 23, kRight, 0},  // sent bytes, total
    {11069, Label, "Bytes", 175, 357, 22, 10, 25, 0, 0},  // label (never changed)
    {11038, ListBox, "", 8, 372, 292, 85, 10, 0, 0},  // debug list: log lines of all subsystems and the text lines received by the terminal
});
// clang-format on

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  static const DialogTemplate kTemplate{kMainDialogId,
                                        "MS Sans Serif",
                                        8,
                                        306,
                                        465,
                                        "Vellora",
                                        std::span<const DialogControl>(kControls),
                                        MainDialogControlNames()};
  return kTemplate;
}
