#include "app/qt_standard_options.h"

#include <algorithm>
#include <array>

namespace {

// Taken with the next argument as their value: QGuiApplication's and QApplication's, and on X11
// those of the X11 plugin.
constexpr std::array kWithValue = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "icon",   "name",
    "visual",
};
// Taken with the value after '=' in the same argument.
constexpr std::array kWithJoinedValue = {"style=", "stylesheet=", "qmljsdebugger="};
// Taken on their own.
constexpr std::array kWithoutValue = {"reverse", "widgetcount", "testability"};

bool IsOneOf(const QString& name, const auto& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const char* known) { return name == QLatin1String(known); });
}

bool StartsWithOneOf(const QString& name, const auto& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](const char* known) { return name.startsWith(QLatin1String(known)); });
}

}  // namespace

QStringList WithoutQtOptions(const QStringList& arguments) {
  QStringList left;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (i == 0 || !argument.startsWith(u'-') || argument == QStringLiteral("-")) {
      left << argument;
      continue;
    }
    if (argument == QStringLiteral("--")) {
      left << arguments.mid(i);
      break;
    }
    const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    if (IsOneOf(name, kWithValue)) {
      ++i;  // and its value
    } else if (!StartsWithOneOf(name, kWithJoinedValue) && !IsOneOf(name, kWithoutValue)) {
      left << argument;
    }
  }
  return left;
}
