#include <cstring>

#include "dialog/vellora.h"
#include "gateway/field_text.h"

namespace {

// First index in OctetEditIds of each address group.
constexpr int kActualIpEdits = 0;
constexpr int kIpEdits = 4;
constexpr int kNetmaskEdits = 8;
constexpr int kGatewayIpEdits = 12;
constexpr int kDnsIpEdits = 16;

constexpr int kSerialShownIds[4] = {IdSerialShown1, IdSerialShown2, IdSerialShown3, IdSerialShown4};

template <std::size_t N>
void CopyText(const std::string& text, char (&field)[N]) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

}  // namespace

void Vellora::ShowGatewayRecord(const GatewayRecord& record) {
  auto showAddress = [this](int firstEdit, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) {
      const unsigned octet = (value >> (24 - 8 * k)) & 0xFF;
      Ws().SetDlgItemText(OctetEditIds[firstEdit + k], Format("%u", octet));
    }
  };

  for (int i = 0; i < 6; ++i)
    Ws().SetDlgItemText(MacEditIds[i], Format("%02X", record.Mac[i]));
  showAddress(kActualIpEdits, record.ActualIp);
  showAddress(kIpEdits, record.Ip);
  showAddress(kGatewayIpEdits, record.GatewayIp);
  showAddress(kNetmaskEdits, record.Netmask);
  Ws().SetDlgItemText(IdNameEdit, record.Name);
  Ws().SetDlgItemText(IdPortEdit, Format("%u", record.Port));
  Ws().CheckDlgButton(IdUseDhcpCheck, record.UseDhcp != 0);
  Ws().SetDlgItemText(IdServerEdit, record.Server);

  const unsigned long serial = (static_cast<unsigned long>(record.Mac[3]) << 16) |
                               (static_cast<unsigned long>(record.Mac[4]) << 8) | record.Mac[5];
  const std::string digits = Format("%08lu", serial);
  for (int pair = 0; pair < 4; ++pair) {
    Ws().SetDlgItemText(kSerialShownIds[pair],
                        digits.substr(static_cast<std::size_t>(2 * pair), 2));
  }

  Ws().CheckDlgButton(IdUseProxyCheck, record.UseProxy != 0);
  Ws().SetDlgItemText(IdProxyEdit, record.ProxyServer);
  showAddress(kDnsIpEdits, record.DnsIp);
}

void Vellora::EvGatewaySelChange() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;
  ShowGatewayRecord(GatewayList[index]);
}

void Vellora::ReadGatewayFields(int index) {
  if (index < 0 || index >= GatewayCount) return;
  GatewayRecord& record = GatewayList[index];

  auto readAddress = [this](int firstEdit) {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) {
      // Not clipped to eight bits here: the set command has checked every field first.
      value = (value << 8) |
              ReadDecimal(Ws().GetDlgItemText(OctetEditIds[firstEdit + k], 19)).value_or(0);
    }
    return value;
  };
  record.Ip = readAddress(kIpEdits);
  record.Netmask = readAddress(kNetmaskEdits);
  record.GatewayIp = readAddress(kGatewayIpEdits);
  record.DnsIp = readAddress(kDnsIpEdits);
  record.Port = ReadDecimal(Ws().GetDlgItemText(IdPortEdit, 19)).value_or(0);
  record.UseDhcp = Ws().IsDlgButtonChecked(IdUseDhcpCheck) ? 1 : 0;
  CopyText(Ws().GetDlgItemText(IdNameEdit, 33), record.Name);
  CopyText(Ws().GetDlgItemText(IdServerEdit, 65), record.Server);
  record.UseProxy = Ws().IsDlgButtonChecked(IdUseProxyCheck) ? 1 : 0;
  CopyText(Ws().GetDlgItemText(IdProxyEdit, 65), record.ProxyServer);
}
