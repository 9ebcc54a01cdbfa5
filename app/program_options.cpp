#include "app/program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "app/qt_standard_options.h"
#include "platform/posix/own_interfaces.h"
#include "protocol/text_values.h"
#include "udp/start_choice.h"

namespace {

EarlyExit Refuse(const QString& why) {
  return {2, QStringLiteral("vellora: %1\nTry 'vellora --help'.\n").arg(why).toStdString()};
}

}  // namespace

std::optional<EarlyExit> ReadProgramOptions(const QStringList& arguments, ProgramOptions& options) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Finds Ethernet gateway modules on one network interface of this PC, shows and changes "
      "their settings, gives them MAC addresses and serial numbers, writes EEPROM bytes, checks "
      "the MAC on a module's label and shows the text a module sends on its TCP port 80."));
  // Not Qt's help option: it brings --help-all, a help for Qt's own options, which the program
  // does not print; left unhandled, --help-all would open the window and search.
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

  if (!parser.parse(WithoutQtOptions(arguments))) return Refuse(parser.errorText());
  if (parser.isSet(help)) return EarlyExit{0, parser.helpText().toStdString()};
  if (parser.isSet(version)) {
    return EarlyExit{
        0, QStringLiteral("%1 %2\n")
               .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion())
               .toStdString()};
  }
  if (!parser.positionalArguments().isEmpty())
    return Refuse(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));
  // Each value given once and not empty. A value that begins with '-' is most likely the next
  // option, taken as the value of one whose own value was forgotten.
  const struct {
    const QCommandLineOption& Option;
    const char* Wanted;
  } valued[] = {{address, "an IPv4 address of this PC, such as 192.168.10.1"},
                {interface, "the name of a network interface, such as enp3s0"},
                {log, "a file name"}};
  for (const auto& [option, wanted] : valued) {
    const QString name = QStringLiteral("--") + option.names().constFirst();
    const QStringList values = parser.values(option);
    if (values.size() > 1)
      return Refuse(QStringLiteral("%1 is given more than once; give it once").arg(name));
    if (values.isEmpty()) continue;
    if (values[0].isEmpty())
      return Refuse(QStringLiteral("%1 is empty; it needs %2").arg(name, QLatin1String(wanted)));
    if (values[0].startsWith(u'-')) {
      QString why = QStringLiteral("%1 needs %2, but is followed by '%3'")
                        .arg(name, QLatin1String(wanted), values[0]);
      if (&option == &log)
        why +=
            QStringLiteral("; a file whose name begins with '-' is given as ./%1").arg(values[0]);
      return Refuse(why);
    }
  }
  options.Address = parser.value(address).toStdString();
  options.Interface = parser.value(interface).toStdString();
  if (parser.isSet(address) && !ParseDottedQuad(options.Address))
    return Refuse(QStringLiteral("'%1' is not a dotted IPv4 address").arg(parser.value(address)));
  options.Expanded = parser.isSet(expanded);
  options.LogPath = parser.value(log).toStdString();
  return std::nullopt;
}

std::optional<int> ChooseStartAddress(const ProgramOptions& options, StartOptions& start) {
  StartRequest request;
  if (!options.Address.empty()) request.Address = *ParseDottedQuad(options.Address);
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
