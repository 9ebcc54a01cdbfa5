#include "platform/qt/windows1252.h"

#include <array>

namespace {

// 0x80..0x9F; the rest of the table is Latin-1.
constexpr char16_t kHighCodes[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

constexpr std::array<char16_t, 256> MakeTable() {
  std::array<char16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b)
    table[b] = (b >= 0x80 && b <= 0x9F) ? kHighCodes[b - 0x80] : static_cast<char16_t>(b);
  return table;
}

constexpr std::array<char16_t, 256> kToUnicode = MakeTable();

char ByteFor(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighCodes[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

QString FromWindows1252(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes)
    *out++ = QChar(kToUnicode[static_cast<unsigned char>(c)]);
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
