#include "app/program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "platform/posix/own_interfaces.h"
#include "protocol/text_values.h"
#include "udp/start_choice.h"

namespace {

void Say(FILE* to, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), to);
}

int Refuse(const QString& why) {
  Say(stderr, QStringLiteral("vellora: %1\nTry 'vellora --help'.\n").arg(why));
  return 2;
}

}  // namespace

std::optional<int> ReadProgramOptions(int argc, char** argv, ProgramOptions& options) {
  // A core application only, for the arguments: no display is needed to read them.
  QCoreApplication core(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Finds Ethernet gateway modules on one network interface of this PC, shows and changes "
      "their settings, gives them MAC addresses and serial numbers, writes EEPROM bytes, checks "
      "the MAC on a module's label and shows the text a module sends on its TCP port 80."));
  // Not Qt's help option: it brings --help-all, a help for Qt's own options, which the program
  // does not take; left unhandled, --help-all would open the window and search.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays help on commandline options."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption address(
      QStringLiteral("address"),
      QStringLiteral("Work from this address of the PC instead of the first one listed."),
      QStringLiteral("A.B.C.D"));
  const QCommandLineOption interface(
      QStringLiteral("interface"),
      QStringLiteral("Work from the first IPv4 address of this network interface (with "
                     "--address: from that address on it)."),
      QStringLiteral("NAME"));
  const QCommandLineOption expanded(
      QStringLiteral("expanded"),
      QStringLiteral("Open with the production controls and the terminal shown."));
  const QCommandLineOption log(
      QStringLiteral("log"),
      QStringLiteral("Append every line of the debug list and every request sent, with the "
                     "time, to FILE."),
      QStringLiteral("FILE"));
  parser.addOptions({address, interface, expanded, log});

  if (!parser.parse(QCoreApplication::arguments())) return Refuse(parser.errorText());
  if (parser.isSet(help)) {
    Say(stdout, parser.helpText());
    return 0;
  }
  if (parser.isSet(version)) {
    Say(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                              QCoreApplication::applicationVersion()));
    return 0;
  }
  if (!parser.positionalArguments().isEmpty())
    return Refuse(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));
  options.Address = parser.value(address).toStdString();
  options.Interface = parser.value(interface).toStdString();
  if (parser.isSet(address) && !ParseDottedQuad(options.Address))
    return Refuse(QStringLiteral("'%1' is not a dotted IPv4 address").arg(parser.value(address)));
  if (parser.isSet(log) && parser.value(log).isEmpty())
    return Refuse(QStringLiteral("--log needs a file name"));
  options.Expanded = parser.isSet(expanded);
  options.LogPath = parser.value(log).toStdString();
  return std::nullopt;
}

std::optional<int> ChooseStartAddress(const ProgramOptions& options, StartOptions& start) {
  StartRequest request;
  if (!options.Address.empty())
    request.Address = HostToNetworkLong(*ParseDottedQuad(options.Address));
  request.Interface = options.Interface;
  if (!request.Asked()) return std::nullopt;
  PcAddressList own;
  own.Update(OwnHostEntry());
  const StartChoice choice = ChooseStartEntry(own, request);
  if (choice.Position < 0) {
    std::fprintf(stderr, "vellora: %s\n", choice.Refusal.c_str());
    return 2;
  }
  start.PcEntry = own.At(choice.Position);
  return std::nullopt;
}
