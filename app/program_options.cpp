#include "app/program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "app/qt_standard_options.h"
#include "line/line_settings.h"
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
  const QCommandLineOption serialFile(
      QStringLiteral("serial-file"),
      QStringLiteral("Take the serial numbers of Set & Incr. from FILE, the running number that "
                     "this PC's stations share with 'vellora-cli assign --serial-file'."),
      QStringLiteral("FILE"));
  const QCommandLineOption lineDatabase(
      QStringLiteral("line"),
      QStringLiteral("Take the serial numbers of Set & Incr. from the pool of the line "
                     "database (a libpq connection string or URI; its password belongs in "
                     "~/.pgpass), and record every write and label check there."),
      QStringLiteral("CONNINFO"));
  const QCommandLineOption station(
      QStringLiteral("station"),
      QStringLiteral("The station's name in the line database (default: the host name)."),
      QStringLiteral("NAME"));
  parser.addOptions({address, interface, expanded, log, serialFile, lineDatabase, station});

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
                {log, "a file name"},
                {serialFile, "a file name"},
                {lineDatabase, "a libpq connection string or URI"},
                {station, "a name"}};
  for (const auto& [option, wanted] : valued) {
    const QString name = QStringLiteral("--") + option.names().constFirst();
    const QStringList values = parser.values(option);
    if (values.size() > 1)
      return Refuse(QStringLiteral("%1 is given more than once; give it once").arg(name));
    if (values.isEmpty()) continue;
    if (values[0].isEmpty())
      return Refuse(QStringLiteral("%1 is empty; it needs %2").arg(name, QLatin1String(wanted)));
    if (values[0].startsWith(u'-')) {
      // A CONNINFO is never shown: it may hold a password.
      QString why = QStringLiteral("%1 needs %2, but is followed by '%3'")
                        .arg(name, QLatin1String(wanted),
                             &option == &lineDatabase ? QStringLiteral("-...") : values[0]);
      if (&option == &log || &option == &serialFile)
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
  return ReadStationOptions(parser.value(serialFile).toStdString(),
                            parser.value(lineDatabase).toStdString(), parser.isSet(lineDatabase),
                            parser.value(station).toStdString(), parser.isSet(station), options);
}

std::optional<EarlyExit> ReadStationOptions(const std::string& serialFile, const std::string& line,
                                            bool lineGiven, const std::string& station,
                                            bool stationGiven, ProgramOptions& options) {
  if (!serialFile.empty() && lineGiven) {
    return Refuse(QStringLiteral(
        "give --serial-file or --line, not both: two sources of serial numbers would give the "
        "same MAC twice"));
  }
  if (stationGiven && !lineGiven) {
    return Refuse(
        QStringLiteral("--station names the station in the line database: give --line CONNINFO"));
  }
  if (!lineGiven) {
    options.SerialFile = serialFile;
    return std::nullopt;
  }
  if (const std::optional<std::string> refused = ConninfoRefusal(line, "--line"))
    return Refuse(QString::fromStdString(*refused));
  std::string name = station;
  if (name.empty()) {
    const std::optional<std::string> host = HostStationName();
    if (!host) return Refuse(QStringLiteral("the host name is unknown: give --station NAME"));
    name = *host;
  }
  if (name.size() > kStationNameLimit) {
    return Refuse(QStringLiteral("--station is longer than %1 bytes; give a shorter name")
                      .arg(kStationNameLimit));
  }
  options.Line = line;
  options.Station = name;
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
