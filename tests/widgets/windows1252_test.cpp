#include <gtest/gtest.h>

#include "platform/qt/static_text.h"
#include "platform/qt/windows1252.h"

TEST(Windows1252Test, EveryByteHasItsCharacterAndComesBack) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  const QString text = FromWindows1252(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(text[0x41].unicode(), u'A');
  EXPECT_EQ(text[0x80].unicode(), 0x20AC);  // euro sign
  EXPECT_EQ(text[0x8A].unicode(), 0x0160);
  EXPECT_EQ(text[0x9F].unicode(), 0x0178);
  EXPECT_EQ(text[0xFC].unicode(), 0x00FC);  // Latin-1 above 0x9F
  for (int open : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(text[open].unicode(), open) << open;
  EXPECT_EQ(ToWindows1252(text), all);
}

TEST(Windows1252Test, CharactersItCannotHoldBecomeOneQuestionMarkEach) {
  const QString text = QStringLiteral("a\u0080\u0100\u4E2D") + QString::fromUcs4(U"\U0001F600") +
                       QChar(0xD800) + QStringLiteral("z");
  EXPECT_EQ(ToWindows1252(text), "a?????z");
  EXPECT_EQ(Windows1252Length(text), 7);
}

TEST(Windows1252Test, StaticsShowAnAmpersandOnlyWhenDoubled) {
  EXPECT_EQ(StaticDisplayText(QStringLiteral("Set && Incr.")), QStringLiteral("Set & Incr."));
  EXPECT_EQ(StaticDisplayText(QStringLiteral("&File &&&Edit&")), QStringLiteral("File &Edit"));
  EXPECT_EQ(StaticDisplayText(QStringLiteral("<b>x</b>")), QStringLiteral("<b>x</b>"));
}
