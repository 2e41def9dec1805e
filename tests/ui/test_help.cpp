// The user guide: F1 at the section of the focused control, the help menu by
// keyboard, the keys of the guide's window, its pictures, sections and links
// in both languages, and a change of the window's language.
#include <QAbstractTextDocumentLayout>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTranslator>

#include "WindowFixture.h"
#include "ui/HelpWindow.h"

namespace qvl {
namespace {

// Every anchor the guide's page names, and every place inside it that a link
// leads to.
struct page_anchors_t {
  QStringList names;
  QStringList links;
};
page_anchors_t Anchors(const QTextDocument& doc) {
  page_anchors_t out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      out.names << f.anchorNames();
      if (f.anchorHref().startsWith(QLatin1Char('#'))) out.links << f.anchorHref().mid(1);
    }
  }
  return out;
}

// The heading that carries the anchor, or an invalid block.
QTextBlock HeadingOf(const QTextDocument& doc, const QString& anchor) {
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      if (it.fragment().charFormat().anchorNames().contains(anchor)) return b;
    }
  }
  return {};
}

// Answers the guide's language code with English, as the window's English
// translation does.
class TEnglishGuide : public QTranslator {
 public:
  [[nodiscard]] bool isEmpty() const override { return false; }
  [[nodiscard]] QString translate(const char* context, const char* source, const char*,
                                  int) const override {
    if (qstrcmp(context, "qvl::THelpWindow") != 0) return {};
    if (qstrcmp(source, "ja") == 0) return QStringLiteral("en");
    if (qstrcmp(source, "使い方(&U)") == 0) return QStringLiteral("&User Guide");
    return {};
  }
};

class HelpTest : public WindowTest {
 protected:
  THelpWindow* Help() const { return window->findChild<THelpWindow*>(); }
  QTextBrowser& Browser() const { return Help()->Browser(); }

  void PressF1On(QWidget* control) {
    Activate();
    control->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(WaitUntil([control] {
      return control->isAncestorOf(QApplication::focusWidget()) ||
             QApplication::focusWidget() == control;
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_NE(Help(), nullptr);
    ASSERT_TRUE(Help()->isVisible());
  }

  // The section's heading stands at the top of the page, or the page is
  // scrolled to its end with the heading in view; no section: the top.
  void ExpectShownAt(const QString& anchor) const {
    const QScrollBar& bar = *Browser().verticalScrollBar();
    if (anchor.isEmpty()) {
      EXPECT_EQ(bar.value(), 0);
      return;
    }
    const QTextBlock heading = HeadingOf(*Browser().document(), anchor);
    ASSERT_TRUE(heading.isValid()) << anchor.toStdString();
    const int y = qRound(Browser().document()->documentLayout()->blockBoundingRect(heading).top());
    if (bar.value() < bar.maximum()) {
      EXPECT_EQ(bar.value(), y) << anchor.toStdString();
    } else {
      EXPECT_GE(y, bar.value()) << anchor.toStdString();
      EXPECT_LT(y, bar.value() + Browser().viewport()->height()) << anchor.toStdString();
    }
  }
};

TEST_F(HelpTest, F1OpensTheSectionOfTheFocusedControlAndEscOrCtrlWClosesIt) {
  Make({sample});
  dialogs.Clear();
  Click(Item("1面道中"));  // a scene: its editor takes the focus
  const struct {
    const char* control;
    const char* section;
  } cases[] = {
      {"SceneView", "scenes"},       {"SceneMemo", "scenes"},
      {"CalcButton", "first-plan"},  {"OutputKwGrid", "comparison"},
      {"InputKwGrid", "calculator"}, {"NewMemo", "first-plan"},
      {"ApplyButton", "first-plan"}, {"MainWnd", ""},
  };
  bool ctrl_w = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    QWidget* control =
        QString::fromLatin1(c.control) == window->objectName() ? window.get() : Control(c.control);
    PressF1On(control);
    ExpectShownAt(QString::fromLatin1(c.section));
    QApplication::setActiveWindow(Help());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Help()));
    EXPECT_EQ(QApplication::focusWidget(), &Browser());
    // Scrolled by keyboard, then closed by either key.
    const QScrollBar& bar = *Browser().verticalScrollBar();
    const int before = bar.value();
    QTest::keyClick(&Browser(), before < bar.maximum() ? Qt::Key_PageDown : Qt::Key_PageUp);
    EXPECT_NE(bar.value(), before);
    if (ctrl_w) {
      QTest::keyClick(&Browser(), Qt::Key_W, Qt::ControlModifier);
    } else {
      QTest::keyClick(&Browser(), Qt::Key_Escape);
    }
    ctrl_w = !ctrl_w;
    EXPECT_FALSE(Help()->isVisible());
  }
}

TEST_F(HelpTest, TheHelpMenuByKeyboardOpensTheGuideAtItsTop) {
  Make({sample});
  dialogs.Clear();
  PressF1On(Tree());
  ExpectShownAt(QStringLiteral("scenes"));
  QTest::keyClick(&Browser(), Qt::Key_Escape);

  Activate();
  Tree()->setFocus(Qt::OtherFocusReason);
  Key(Qt::Key_H, Qt::AltModifier);
  ASSERT_NE(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(QApplication::activePopupWidget()->objectName(), QStringLiteral("Help1"));
  Key(Qt::Key_U);
  ASSERT_TRUE(WaitUntil([this] { return Help()->isVisible(); }));
  ExpectShownAt(QString());
  EXPECT_EQ(Action("Usage1")->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(HelpTest, EachLanguageHasEveryPictureSectionAndLinkOfTheGuide) {
  // Each guide shows the window in its own language: no picture is shared.
  QStringList seen;
  for (const char* language : {"ja", "en"}) {
    SCOPED_TRACE(language);
    THelpWindow help;
    help.Browser().setSource(
        QUrl(QStringLiteral("qrc") + HelpSource(QString::fromLatin1(language))),
        QTextDocument::MarkdownResource);
    const QTextDocument& doc = *help.Browser().document();

    QFile source(HelpSource(QString::fromLatin1(language)));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString markdown = QString::fromUtf8(source.readAll());
    const qsizetype pictures =
        markdown.count(QRegularExpression(QStringLiteral(R"(!\[[^\]]*\]\()")));
    EXPECT_GE(pictures, 4);
    qsizetype shown = 0;
    QStringList pictures_here;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
      for (auto it = b.begin(); !it.atEnd(); ++it) {
        if (!it.fragment().charFormat().isImageFormat()) continue;
        ++shown;
        const QString name = it.fragment().charFormat().toImageFormat().name();
        const QImage image =
            help.Browser().loadResource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
        EXPECT_FALSE(image.isNull()) << name.toStdString();
        // Both guides lie in one folder: the same name is the same picture.
        EXPECT_FALSE(seen.contains(name)) << name.toStdString();
        pictures_here << name;
      }
    }
    seen << pictures_here;
    EXPECT_EQ(shown, pictures);

    const page_anchors_t anchors = Anchors(doc);
    for (const QString& topic : HelpTopics()) {
      EXPECT_TRUE(anchors.names.contains(topic)) << topic.toStdString();
    }
    EXPECT_GE(anchors.links.size(), 9);
    for (const QString& link : anchors.links) {
      EXPECT_TRUE(anchors.names.contains(link)) << link.toStdString();
    }
    // One anchor per section, the same in both languages.
    EXPECT_EQ(HeadingAnchors(markdown).filter(QRegularExpression(QStringLiteral("."))),
              (QStringList{"window", "scenes", "first-plan", "comparison", "calculator", "undo",
                           "chart", "keyboard", "files"}));
  }
}

TEST_F(HelpTest, TheGuideFollowsTheLanguageOfTheWindow) {
  Make({sample});
  dialogs.Clear();
  PressF1On(Control("InputKwGrid"));
  const QString japanese_title = Browser().document()->begin().text();
  EXPECT_EQ(japanese_title, QStringLiteral("Quovelパターンマネージャ 使い方"));

  TEnglishGuide english;
  QCoreApplication::installTranslator(&english);
  QCoreApplication::processEvents();
  EXPECT_EQ(Browser().document()->begin().text(),
            QStringLiteral("Quovel Pattern Manager: user guide"));
  ExpectShownAt(QStringLiteral("calculator"));
  EXPECT_EQ(Action("Usage1")->text(), QStringLiteral("&User Guide"));

  QCoreApplication::removeTranslator(&english);
  QCoreApplication::processEvents();
  EXPECT_EQ(Browser().document()->begin().text(), japanese_title);
  EXPECT_EQ(Action("Usage1")->text(), QStringLiteral("使い方(&U)"));
}

}  // namespace
}  // namespace qvl
