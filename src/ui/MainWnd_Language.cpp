// The window's language: the 言語 / Language menu and the window's own texts
// given afresh when the language changes; the panels say theirs afresh
// themselves.
#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QMenu>

#include "ui/ComparisonPanel.h"
#include "ui/Language.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/StatusBar.h"

namespace qvl {

void TMainWnd::CreateLanguageMenu() {
  // Each language named in its own, so that a player finds the way back
  // whichever language the window speaks.
  QMenu* menu = MenuAt(menu_t::Language);
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  for (const language_entry_t& entry : kLanguages) {
    const language_t language = entry.language;
    QAction* a = menu->addAction(QStringLiteral("%1(&%2)").arg(
        QString::fromUtf8(entry.own_name.data(), static_cast<qsizetype>(entry.own_name.size())),
        QChar::fromLatin1(entry.access_key)));
    a->setObjectName(QString::fromLatin1(entry.english_name.data(),
                                         static_cast<qsizetype>(entry.english_name.size())) +
                     QStringLiteral("1"));
    a->setCheckable(true);
    a->setChecked(WindowLanguage() == language);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, language] { LanguageItemClick(language); });
    m_languageItems.emplace_back(language, a);
  }
}

void TMainWnd::RetranslateLanguageMenu() {
  for (const auto& [language, item] : m_languageItems)
    item->setChecked(WindowLanguage() == language);
}

void TMainWnd::LanguageItemClick(language_t language) {
  if (language == WindowLanguage()) return;
  if (!SetWindowLanguage(language)) {
    // Without its translation the window stays in the language it speaks.
    RetranslateLanguageMenu();
    return;
  }
  if (m_remembers) StoreLanguage(language);
}

void TMainWnd::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) RetranslateUi();
  QMainWindow::changeEvent(e);
}

void TMainWnd::RetranslateUi() {
  RetranslateMenus();

  // The caption keeps its file name or its *difficulty*.
  const QString caption = windowTitle();
  const auto dash = caption.indexOf(QStringLiteral(" - "));
  SetCaption(dash < 0 ? QString() : caption.mid(dash + 3));

  // The label columns widened for the language's longest label, before the
  // panels write their labels.
  const int extra = LabelExtraWidth();
  if (const int delta = extra - m_labelExtra; delta != 0) {
    m_labelExtra = extra;
    m_editor->SetLabelExtra(extra);
    m_comparison->SetLabelExtra(extra);
    GrowRightPane(delta);
  }
  // The hint was in the former language; the next one comes in the new.
  m_statusBar->SetPanel(0, QString());
  KeepStatusPanelsWhole();  // room for the hint's shortest form in this language
}

}  // namespace qvl
