#include <gtest/gtest.h>

#include "model/qvl_text.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

TEST(QtText, ShowsCodePage932AsUnicode) {
  EXPECT_EQ(ToQString(Utf8ToCp932("場面別メモ")), QStringLiteral("場面別メモ"));
  EXPECT_EQ(ToQString(""), QString());
  // 表 ends in a backslash byte; it must come through whole.
  EXPECT_EQ(ToQString(std::string("\x95\x5C", 2)), QStringLiteral("表"));
}

TEST(QtText, ConvertsUserTextThatFilesCanHold) {
  const cp932_text_t t = FromQString(QStringLiteral("ボス戦① ～ abc"));
  EXPECT_TRUE(t.ok);
  EXPECT_EQ(t.text, Utf8ToCp932("ボス戦① ～ abc"));
  EXPECT_TRUE(t.unconvertible.isEmpty());
}

TEST(QtText, RefusesUserTextWithCharactersFilesCannotHold) {
  const cp932_text_t t = FromQString(QStringLiteral("a한b😀c한"));
  EXPECT_FALSE(t.ok);
  EXPECT_TRUE(t.text.empty());
  EXPECT_EQ(t.unconvertible, QStringLiteral("한😀"));
}

TEST(QtText, MemoLineBreaksAreWindowsLineBreaksInTheModel) {
  EXPECT_EQ(MemoToQString(Utf8ToCp932("一行目\r\n二行目\r三行目")),
            QStringLiteral("一行目\n二行目\n三行目"));
  const cp932_text_t m = MemoFromQString(QStringLiteral("一行目\n二行目\r\n"));
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.text, Utf8ToCp932("一行目\r\n二行目\r\n"));
  EXPECT_FALSE(MemoFromQString(QStringLiteral("한")).ok);
}

TEST(QtText, RefusalMessageNamesEachCharacterWithItsCodePoint) {
  const QString message = UnconvertibleMessage(QStringLiteral("한😀é"));
  EXPECT_TRUE(message.contains(QStringLiteral("「한」(U+D55C)"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("「😀」(U+1F600)"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("「é」(U+00E9)"))) << message.toStdString();
}

TEST(QtText, FileNamesRoundTripThroughPaths) {
  const QString name = QStringLiteral("/tmp/パターン/hard.pat");
  EXPECT_EQ(FromPath(ToPath(name)), name);
}

}  // namespace
}  // namespace qvl
