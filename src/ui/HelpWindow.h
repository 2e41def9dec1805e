// The user guide inside the program: ヘルプ > 使い方 (F1) shows the
// walkthrough of docs/help/ (compiled in as resources) in the language of the
// window; F1 on a control opens the section that explains it.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextBrowser>
#include <QWidget>

class QMainWindow;
class QMenu;

namespace qvl {

// The language of the guide: the one the window's catalogue names (its
// translation of the guide's language code, "en" for English) when the guide
// is written in it, else Japanese.
[[nodiscard]] QString HelpLanguage();

// The guide's Markdown in a language, as a resource address; Japanese for a
// language the guide does not have.
[[nodiscard]] QString HelpSource(const QString& language);

// The section that explains a control, found by its object name (a control
// inside a named one counts as that one), or empty: the guide's top.
[[nodiscard]] QString HelpTopicFor(const QWidget* control);

// Every section the F1 map leads to.
[[nodiscard]] QStringList HelpTopics();

// The anchors the Markdown names, one per heading in order (empty for a
// heading without one): a line <a id="name"></a> before the heading.
[[nodiscard]] QStringList HeadingAnchors(const QString& markdown);

class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the guide at a section, or at its top for an empty one.
  void ShowTopic(const QString& topic);
  [[nodiscard]] QTextBrowser& Browser() const { return *m_browser; }

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Load(const QString& topic);
  void Retranslate();

  QTextBrowser* m_browser;
  QString m_language;
  QString m_topic;
};

// Adds 使い方(&U) with F1 to the help menu. F1 opens the guide at the section
// of the focused control; the menu item at the top.
void InstallHelp(QMainWindow& window, QMenu& help_menu);

}  // namespace qvl
