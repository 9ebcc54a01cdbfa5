#include "platform/qt/windows1252.h"

#include "protocol/windows1252.h"

namespace {

char ByteFor(char32_t code) {
  char byte = '?';
  return Windows1252Byte(code, byte) ? byte : '?';
}

}  // namespace

QString FromWindows1252(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes)
    *out++ = QChar(Windows1252Character(static_cast<std::uint8_t>(c)));
  return text;
}

std::string ToWindows1252(QStringView text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
      ++i;  // one character outside the BMP: one byte
      bytes.push_back('?');
    } else if (QChar::isSurrogate(unit)) {
      bytes.push_back('?');
    } else {
      bytes.push_back(ByteFor(unit));
    }
  }
  return bytes;
}

bool HoldsOnlyWindows1252(QStringView text) {
  for (const QChar c : text) {
    if (c.isSurrogate() || (ByteFor(c.unicode()) == '?' && c != u'?')) return false;
  }
  return true;
}

std::string_view UpToNul(std::string_view bytes) {
  const std::size_t end = bytes.find('\0');
  return end == std::string_view::npos ? bytes : bytes.substr(0, end);
}
