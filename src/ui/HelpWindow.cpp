#include "ui/HelpWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "ui/Language.h"

namespace qvl {
namespace {

// Each guide is compiled in under its language's code; a language may have
// none.
QString GuidePath(const QString& language) {
  return QStringLiteral(":/help/docs/help/%1.md").arg(language);
}

// The controls F1 explains, by object name; a control inside one of them
// counts as it, so the first name met on the way up decides.
struct help_topic_t {
  const char* control;
  const char* topic;
};
constexpr std::array kHelpTopics{
    help_topic_t{"SceneView", "scenes"},         help_topic_t{"SceneMemoGroupBox", "scenes"},
    help_topic_t{"GroupingCheckBox", "scenes"},  help_topic_t{"OutputGroupBox", "comparison"},
    help_topic_t{"StatusBar", "comparison"},     help_topic_t{"InputKwGrid", "calculator"},
    help_topic_t{"InputGroupBox", "first-plan"}, help_topic_t{"ScoreChartWindow", "chart"},
};

// The screenshots are taken at full window size; wider than this they would
// need sideways scrolling in a guide of ordinary size.
constexpr int kMaxImageWidth = 600;

const QString kSizeKey = QStringLiteral("HelpWindow/size");

const QRegularExpression& AnchorLine() {
  static const QRegularExpression re(
      QStringLiteral(R"re(^\s*<a\s+(?:id|name)="([^"]+)"\s*>\s*</a>\s*$)re"));
  return re;
}

// Names the headings and fits the pictures: Qt's Markdown reader keeps no
// HTML, so the anchors written before the headings are put on them here.
class THelpBrowser : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;

  QVariant loadResource(int type, const QUrl& name) override {
    QVariant data = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::ImageResource || data.typeId() != QMetaType::QByteArray) {
      return data;
    }
    QImage image;
    if (!image.loadFromData(data.toByteArray())) return data;
    if (image.width() > kMaxImageWidth) {
      image = image.scaledToWidth(kMaxImageWidth, Qt::SmoothTransformation);
    }
    return image;
  }

 protected:
  void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
    QUrl page = name;
    page.setFragment(QString());
    if (page != m_page) {
      QTextBrowser::doSetSource(page, type);
      m_page = page;
      Dress();
    }
    if (name.hasFragment()) {
      scrollToAnchor(name.fragment());
    } else {
      verticalScrollBar()->setValue(0);
    }
  }

 private:
  // Anchors on the headings, and room between paragraphs, which Qt's
  // Markdown reader runs together.
  void Dress() {
    QFile file(QLatin1Char(':') + m_page.path());
    if (!file.open(QIODevice::ReadOnly)) return;
    const QStringList anchors = HeadingAnchors(QString::fromUtf8(file.readAll()));
    // The anchor lines leave empty paragraphs behind.
    QList<int> empty;
    for (QTextBlock block = document()->begin().next(); block.isValid(); block = block.next()) {
      if (block.length() == 1 && block.textList() == nullptr &&
          QTextCursor(block).currentTable() == nullptr) {
        empty.prepend(block.position());
      }
    }
    for (const int position : empty) {
      QTextCursor cursor(document());
      cursor.setPosition(position);
      cursor.deletePreviousChar();
    }
    qsizetype heading = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
      const bool is_heading = block.blockFormat().headingLevel() > 0;
      if (block.textList() == nullptr && QTextCursor(block).currentTable() == nullptr) {
        QTextBlockFormat spaced;
        spaced.setTopMargin(is_heading ? 14 : 0);
        spaced.setBottomMargin(is_heading ? 4 : 8);
        QTextCursor(block).mergeBlockFormat(spaced);
      }
      if (!is_heading) continue;
      const QString anchor = anchors.value(heading++);
      if (anchor.isEmpty()) continue;
      QTextCursor cursor(block);
      cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      QTextCharFormat format;
      format.setAnchor(true);
      format.setAnchorNames({anchor});
      cursor.mergeCharFormat(format);
    }
  }

  QUrl m_page;
};

// A plain widget is a filler to assistive technology, even as a window of its
// own, and a text browser an editable text: the guide is a frame whose
// opening is announced, holding a document that a screen reader reads by its
// text interface.
class THelpTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit THelpTextAccessible(QTextEdit* edit) : QAccessibleWidget(edit, QAccessible::Document) {}

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  [[nodiscard]] QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    return s;
  }
  [[nodiscard]] QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Edit()->toPlainText();
    return QAccessibleWidget::text(t);
  }

  // QAccessibleTextInterface, in the offsets of the document's plain text.
  void selection(int index, int* start, int* end) const override {
    const QTextCursor c = Edit()->textCursor();
    *start = *end = 0;
    if (index == 0 && c.hasSelection()) {
      *start = c.selectionStart();
      *end = c.selectionEnd();
    }
  }
  [[nodiscard]] int selectionCount() const override {
    return Edit()->textCursor().hasSelection() ? 1 : 0;
  }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override {
    QTextCursor c = Edit()->textCursor();
    c.clearSelection();
    Edit()->setTextCursor(c);
  }
  void setSelection(int, int start, int end) override {
    QTextCursor c = Edit()->textCursor();
    c.setPosition(Clamped(start));
    c.setPosition(Clamped(end), QTextCursor::KeepAnchor);
    Edit()->setTextCursor(c);
  }
  [[nodiscard]] int cursorPosition() const override { return Edit()->textCursor().position(); }
  void setCursorPosition(int position) override {
    QTextCursor c = Edit()->textCursor();
    c.setPosition(Clamped(position));
    Edit()->setTextCursor(c);
  }
  [[nodiscard]] QString text(int start, int end) const override {
    const QString all = Edit()->toPlainText();
    if (end < 0 || end > all.size()) end = static_cast<int>(all.size());
    start = std::clamp(start, 0, end);
    return all.mid(start, end - start);
  }
  [[nodiscard]] int characterCount() const override {
    return static_cast<int>(Edit()->toPlainText().size());
  }
  [[nodiscard]] QRect characterRect(int offset) const override {
    QTextCursor c(Edit()->document());
    c.setPosition(Clamped(offset));
    const QRect r = Edit()->cursorRect(c);
    const QString ch = text(offset, offset + 1);
    const int width = ch.isEmpty() ? 1 : Edit()->fontMetrics().horizontalAdvance(ch);
    return {Edit()->viewport()->mapToGlobal(r.topLeft()), QSize(width, r.height())};
  }
  [[nodiscard]] int offsetAtPoint(const QPoint& point) const override {
    return Edit()->cursorForPosition(Edit()->viewport()->mapFromGlobal(point)).position();
  }
  void scrollToSubstring(int start, int) override {
    setCursorPosition(start);
    Edit()->ensureCursorVisible();
  }
  [[nodiscard]] QString attributes(int offset, int* start, int* end) const override {
    *start = 0;
    *end = std::max(offset, characterCount());
    return {};
  }

 private:
  [[nodiscard]] QTextEdit* Edit() const { return static_cast<QTextEdit*>(widget()); }
  [[nodiscard]] int Clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
};

QAccessibleInterface* HelpAccessible(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String(THelpWindow::staticMetaObject.className())) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  if (auto* browser = dynamic_cast<THelpBrowser*>(object);
      browser && class_name == QLatin1String("QTextBrowser")) {
    return new THelpTextAccessible(browser);
  }
  return nullptr;
}

class THelpController : public QObject {
 public:
  THelpController(QMainWindow& window, QMenu& menu)
      : QObject(&window), m_window(window), m_action(new QAction(&menu)) {
    m_action->setObjectName(QStringLiteral("Usage1"));
    m_action->setShortcut(QKeySequence(Qt::Key_F1));
    // F1 also in the score chart, which has a section of its own.
    m_action->setShortcutContext(Qt::ApplicationShortcut);
    const QList<QAction*> existing = menu.actions();
    if (existing.isEmpty()) {
      menu.addAction(m_action);
    } else {
      menu.insertAction(existing.first(), m_action);
      menu.insertSeparator(existing.first());
    }
    m_action->installEventFilter(this);
    m_window.installEventFilter(this);
    connect(m_action, &QAction::triggered, this, &THelpController::Triggered);
    Retranslate();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // The key, not the menu: only then does the focused control choose the
    // section.
    if (watched == m_action && event->type() == QEvent::Shortcut) m_byKey = true;
    if (watched == &m_window && event->type() == QEvent::LanguageChange) Retranslate();
    return QObject::eventFilter(watched, event);
  }

 private:
  void Retranslate() { m_action->setText(THelpWindow::tr("使い方(&U)")); }

  void Triggered() {
    const bool by_key = m_byKey;
    m_byKey = false;
    QWidget* focus = QApplication::focusWidget();
    if (m_help == nullptr) {
      m_help = new THelpWindow(&m_window);
    } else if (by_key && focus != nullptr && focus->window() == m_help) {
      return;  // F1 in the guide itself: it is already open where it is read
    }
    m_help->ShowTopic(by_key ? HelpTopicFor(focus) : QString());
  }

  QMainWindow& m_window;
  QAction* m_action;
  THelpWindow* m_help = nullptr;
  bool m_byKey = false;
};

}  // namespace

QString HelpLanguage() {
  //: The language code of the user guide to show: "en" for English; the code
  //: of another language where the guide is not written in this one.
  const QString language = QCoreApplication::translate("qvl::THelpWindow", "ja");
  return QFile::exists(GuidePath(language)) ? language : LanguageCode(kLanguages[0].language);
}

QString HelpSource(const QString& language) {
  return GuidePath(QFile::exists(GuidePath(language)) ? language
                                                      : LanguageCode(kLanguages[0].language));
}

QString HelpTopicFor(const QWidget* control) {
  for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
    for (const help_topic_t& t : kHelpTopics) {
      if (w->objectName() == QLatin1String(t.control)) return QString::fromLatin1(t.topic);
    }
  }
  return {};
}

QStringList HelpTopics() {
  QStringList topics;
  for (const help_topic_t& t : kHelpTopics) {
    if (!topics.contains(QLatin1String(t.topic))) topics << QString::fromLatin1(t.topic);
  }
  return topics;
}

QStringList HeadingAnchors(const QString& markdown) {
  QStringList anchors;
  QString pending;
  bool in_code = false;
  for (const QString& line : markdown.split(QLatin1Char('\n'))) {
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QStringLiteral("```"))) in_code = !in_code;
    if (in_code) continue;
    const QRegularExpressionMatch anchor = AnchorLine().match(line);
    if (anchor.hasMatch()) {
      pending = anchor.captured(1);
    } else if (line.startsWith(QLatin1Char('#'))) {
      anchors << pending;
      pending.clear();
    }
  }
  return anchors;
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(&HelpAccessible);
    return true;
  }();
  (void)factory_installed;
  setObjectName(QStringLiteral("HelpWindow"));
  // Left open, the guide must not keep the program running after 終了.
  setAttribute(Qt::WA_QuitOnClose, false);
  m_browser = new THelpBrowser(this);
  m_browser->setObjectName(QStringLiteral("HelpBrowser"));
  m_browser->setOpenExternalLinks(true);
  m_browser->document()->setDocumentMargin(14);
  // A long text reads better a little larger than the controls' 12 pixels.
  QFont font = m_browser->font();
  font.setPixelSize(14);
  m_browser->setFont(font);
  setFocusProxy(m_browser);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_browser);

  auto* close = new QAction(this);
  close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);

  // The size the reader last gave it, brought back onto the screen.
  const QSize stored = QSettings().value(kSizeKey).toSize();
  QSize size = stored.isValid() && !stored.isEmpty() ? stored : QSize(kMaxImageWidth + 160, 720);
  if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
  resize(size.expandedTo(QSize(320, 240)));
  Retranslate();
}

void THelpWindow::ShowTopic(const QString& topic) {
  // Shown first: where an anchor lies depends on the width of the page.
  show();
  raise();
  activateWindow();
  m_browser->setFocus();
  Load(topic);
}

void THelpWindow::Load(const QString& topic) {
  m_topic = topic;
  m_language = HelpLanguage();
  QUrl url(QStringLiteral("qrc") + HelpSource(m_language));
  if (!topic.isEmpty()) url.setFragment(topic);
  m_browser->setSource(url, QTextDocument::MarkdownResource);
}

void THelpWindow::Retranslate() {
  setWindowTitle(tr("Quovelパターンマネージャ 使い方"));
  m_browser->setAccessibleName(tr("使い方の本文"));
}

void THelpWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) QSettings().setValue(kSizeKey, size());
}

void THelpWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    Retranslate();
    if (!m_language.isEmpty() && m_language != HelpLanguage()) Load(m_topic);
  }
  QWidget::changeEvent(event);
}

void InstallHelp(QMainWindow& window, QMenu& help_menu) {
  new THelpController(window, help_menu);
}

}  // namespace qvl
