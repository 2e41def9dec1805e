// Text typed the way Linux and macOS input methods type it: the wave dash and
// the other characters of that JIS mapping reach the file as the code page 932
// characters they stand for; a character without a code page 932 form is
// still refused by name.
#include <QInputMethodEvent>

#include "EditorFixture.h"

namespace qvl {
namespace {

// Every variant between two ASCII letters, and the bytes the file must hold:
// 81 60 (～), 81 61 (∥), 81 7C (－), 81 91 (￠), 81 92 (￡), 81 CA (￢), 81 5C (―).
const QString kVariants = QStringLiteral("〜‖−¢£¬—");
const std::string kStored = "a\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5Cz";

// One key event per character with its text, as a keyboard or an input
// method delivers it (QTest::keyClicks takes ASCII only).
void TypeUnicode(QWidget* widget, const QString& text) {
  for (const char32_t c : text.toUcs4()) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                        Qt::NoModifier);
  }
}

template <typename W>
void TypeText(W* widget, const QString& text) {
  widget->setFocus();
  widget->selectAll();
  TypeUnicode(widget, text);
}

TEST_F(PatternEditorTest, VariantsTypedIntoTheMemoAndATitleAreSavedAsCodePage932) {
  TMainWnd& w = Open();
  Select("道中");
  auto* memo = Control<QPlainTextEdit>("SceneMemo");
  TypeText(memo, QStringLiteral("a") + kVariants + QStringLiteral("z"));
  ASSERT_EQ(memo->toPlainText(), QStringLiteral("a") + kVariants + QStringLiteral("z"));
  dialogs.confirms.push_back(true);
  QTest::mouseClick(Button("SceneMemoApplyButton"), Qt::LeftButton);

  TypeText(Control<QLineEdit>("NewTitleLabeledEdit"),
           QStringLiteral("a") + kVariants + QStringLiteral("z"));
  dialogs.confirms.push_back(true);
  QTest::mouseClick(Button("ApplyButton"), Qt::LeftButton);
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());

  const QString file = TempPath(QStringLiteral("variants.pat"));
  dialogs.save_names.push_back(file);
  Action("SaveAs1")->trigger();
  ASSERT_FALSE(w.DocumentModified());
  const QByteArray bytes = ReadBytes(file);
  EXPECT_EQ(bytes.count(QByteArray::fromStdString(kStored)), 2);

  // Opened again, the file shows the code page's own characters.
  window.reset();
  dialogs.Clear();
  Make({file});
  Select("道中");
  scene_base_t* way = Node("道中");
  EXPECT_EQ(way->memo, kStored);
  EXPECT_EQ(way->patterns.Current()->title, kStored);
  EXPECT_EQ(Control<QPlainTextEdit>("SceneMemo")->toPlainText(), QStringLiteral("a～∥－￠￡￢―z"));
}

TEST_F(PatternEditorTest, VariantsTypedIntoACellReachTheCalculator) {
  Open();
  Select("道中");
  for (const QChar c : kVariants) {
    dialogs.Clear();
    TypeInto(7, QStringLiteral("x"));
    TypeUnicode(In()->Editor(), c);
    Commit();
    QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
    // Not refused as unstorable: the calculator reads it and names what it
    // does not know.
    const QStringList errors = dialogs.Texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1) << static_cast<int>(c.unicode());
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("演算式内に、不明な識別子[x")))
        << errors[0].toStdString();
  }
}

TEST_F(PatternEditorTest, FullWidthDigitsAndSignsTypedIntoACellCalculate) {
  Open();
  Select("道中");
  TypeInto(7, QString());
  // The input method hands over the converted text as one commit.
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("（１２００＋３００）×３"));
  QCoreApplication::sendEvent(In()->Editor(), &commit);
  Commit();
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
  EXPECT_EQ(NewText(7), QStringLiteral("4500"));
}

// A range typed with the input method, and signs that would become operators,
// are reported by name as typed (〜 as the code page's ～), not computed.
TEST_F(PatternEditorTest, FullWidthSignsThatWouldChangeTheMeaningAreNamed) {
  Open();
  Select("道中");
  const struct {
    const char* typed;
    const char* name;
  } rows[] = {{"１０〜２０", "10～20"},
              {"５％３", "5％3"},
              {"１０＾２", "10＾2"},
              {"１｜２", "1｜2"},
              {"１＆２", "1＆2"}};
  for (const auto& row : rows) {
    dialogs.Clear();
    TypeInto(7, QString());
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8(row.typed));
    QCoreApplication::sendEvent(In()->Editor(), &commit);
    Commit();
    QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
              QStringList{QStringLiteral("演算式内に、不明な識別子[") +
                          QString::fromUtf8(row.name) + QStringLiteral("]が含まれています")})
        << row.typed;
  }
}

TEST_F(PatternEditorTest, AnEmojiTypedIntoTheMemoIsStillRefusedByName) {
  TMainWnd& w = Open();
  Select("道中");
  TypeText(Control<QPlainTextEdit>("SceneMemo"), QStringLiteral("〜😀"));
  QTest::mouseClick(Button("SceneMemoApplyButton"), Qt::LeftButton);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
            QStringList{UnconvertibleMessage(QStringLiteral("😀"))});
  EXPECT_EQ(Node("道中")->memo, "");
  EXPECT_FALSE(w.DocumentModified());
}

}  // namespace
}  // namespace qvl
