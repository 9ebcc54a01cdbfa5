#include "resources/control_names.h"

#include <array>

namespace {

// In the order of the template's rows.
// clang-format off
constexpr auto kNames = std::to_array<ControlName>({
    {11073, "PC address"},
    {11230, "Gateway MAC"},
    {11210, "MAC byte 1"}, {11209, "MAC byte 2"}, {11208, "MAC byte 3"},
    {11207, "MAC byte 4"}, {11206, "MAC byte 5"}, {11205, "MAC byte 6"},
    {11257, "Serial number, digits 1-2"}, {11256, "Serial number, digits 3-4"},
    {11255, "Serial number, digits 5-6"}, {11254, "Serial number, digits 7-8"},
    {11253, "New serial number, digits 1-2"}, {11247, "New serial number, digits 3-4"},
    {11246, "New serial number, digits 5-6"}, {11245, "New serial number, digits 7-8"},
    {11234, "Actual IP octet 1"}, {11233, "Actual IP octet 2"},
    {11232, "Actual IP octet 3"}, {11231, "Actual IP octet 4"},
    {11222, "IP octet 1"}, {11221, "IP octet 2"}, {11220, "IP octet 3"}, {11219, "IP octet 4"},
    {11218, "Netmask octet 1"}, {11217, "Netmask octet 2"},
    {11216, "Netmask octet 3"}, {11215, "Netmask octet 4"},
    {11214, "Gateway IP octet 1"}, {11213, "Gateway IP octet 2"},
    {11212, "Gateway IP octet 3"}, {11211, "Gateway IP octet 4"},
    {11252, "DNS IP octet 1"}, {11251, "DNS IP octet 2"},
    {11250, "DNS IP octet 3"}, {11249, "DNS IP octet 4"},
    {11203, "Name"},
    {11235, "Server"},
    {11243, "Proxy server"},
    {11036, "Port"},
    {11242, "Use proxy server"},
    {11258, "MAC on the label"},
    {11236, "Production controls"},
    {11239, "EEPROM address"},
    {11241, "EEPROM value"},
    {11038, "Debug list"},
    // The traffic counters' two "Clear" buttons, told apart.
    {11072, "Clear traffic counters"},
    {11030, "Clear debug list"},
});
// clang-format on

}  // namespace

std::span<const ControlName> MainDialogControlNames() {
  return kNames;
}
