#include "dialog/vellora.h"
#include "gateway/production_commands.h"
#include "gateway/serial_number.h"
#include "protocol/messages.h"
#include "protocol/text_values.h"
#include "protocol/windows1252.h"

namespace {

// A line of the line database's (UTF-8: the server's messages, the station's name) as the
// window's texts are, Windows-1252; a character it has no byte for becomes '?'.
std::string WindowText(const std::string& utf8) {
  if (std::optional<std::string> text = Utf8ToWindows1252(utf8)) return *text;
  std::string text;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80)
      text += c;
    else if (byte >= 0xC0)  // the first byte of a character; the bytes after it go
      text += '?';
  }
  return text;
}

// The first three MAC fields: the line's prefix.
std::array<std::string, 3> MacStartTyped(const std::array<TControl*, 6>& macEdits) {
  return {macEdits[0]->GetWindowText(), macEdits[1]->GetWindowText(), macEdits[2]->GetWindowText()};
}

}  // namespace

void Vellora::SayFromTheLine(const std::string& line) {
  AddDebugLine(WindowText(line).c_str());
}

StationIo Vellora::WriteIo() {
  StationIo io;
  io.Speaker = "Vellora";
  io.Say = [this](const std::string& line) { SayFromTheLine(line); };
  io.NoteDurably = [this](const std::string& line) {
    std::string error;
    if (Options.Record == nullptr || Options.Record->AppendLineDurably(line, error)) return true;
    AddDebugLine(
        ("Vellora: SetMacRequest not sent: the record file cannot be written (" + error + ")")
            .c_str());
    return false;
  };
  // The PC address the operator chose when the write was asked for: a request whose row took a
  // moment does not leave from another one.
  io.Record = [this, from = Udp.Chosen()](
                  std::span<const std::uint8_t> request) -> std::optional<std::string> {
    if (!from || !Udp.Chosen() || !Udp.Chosen()->SameEntry(*from)) {
      const std::string why = "the PC address was changed while the row was stored";
      AddDebugLine(
          Format("Vellora: %s not sent: %s", GatewayCommandName(request[1]), why.c_str()).c_str());
      return why;
    }
    if (Udp.PrepareRequest(request)) return std::nullopt;
    if (!Udp.Chosen())
      return "the PC address " + DottedQuad(from->Address) + " left " + from->InterfaceName;
    return "the log file cannot be written";
  };
  io.Transmit = [this](std::span<const std::uint8_t> request) -> std::optional<std::string> {
    if (Udp.TransmitRequest(request)) return std::nullopt;
    return "the socket did not send it";
  };
  return io;
}

LinePlace Vellora::WritePlace() const {
  const std::optional<PcAddress>& from = Udp.Chosen();
  return Station->Place(from ? from->InterfaceName : "", from ? DottedQuad(from->Address) : "");
}

void Vellora::GiveSerialNumber(const GatewayRecord& module) {
  const std::array<std::string, 3> typed = MacStartTyped(MacEdits);
  MacStart prefix{};
  if (const std::optional<Refusal> refused = ReadMacStart(typed, prefix)) {
    AddDebugLine(refused->Line.c_str());
    MacEdits[static_cast<std::size_t>(refused->Field)]->SetFocus();
    return;
  }
  // Two clicks never take two numbers for one module.
  if (Station->Giving()) {
    AddDebugLine(
        "Vellora: Set & Incr. not sent: the number of the press before is still being taken");
    return;
  }
  Station->Give(module, prefix, AnsweredMacs(), WriteIo(), WritePlace(),
                [this](const GivenNumber& given) {
                  if (given.Refused && given.Refused->Field < 3)
                    MacEdits[static_cast<std::size_t>(given.Refused->Field)]->SetFocus();
                  ShowNextSerial();
                });
}

void Vellora::ShowNextSerial() {
  if (!Station) return;
  const std::array<std::string, 3> typed = MacStartTyped(MacEdits);
  MacStart prefix{};
  const bool prefixTyped = !ReadMacStart(typed, prefix);
  Station->Next(prefixTyped ? std::optional(prefix) : std::nullopt,
                [this](std::optional<std::uint64_t> next, const std::string& why) {
                  const std::array<std::string, 4> pairs =
                      next ? SerialNumber::FromValue(*next).Pairs() : std::array<std::string, 4>{};
                  const std::string tip =
                      Station->SourceText() + (why.empty() ? "" : "\n(" + why + ")");
                  for (std::size_t pair = 0; pair < pairs.size(); ++pair) {
                    SerialEdits[pair]->SetWindowText(pairs[pair]);
                    SerialEdits[pair]->SetToolTip(WindowText(tip));
                  }
                });
}
