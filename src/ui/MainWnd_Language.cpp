// The window's language: the 言語 / Language menu and every text of the
// window given afresh when the language changes.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "ui/AppInfo.h"
#include "ui/Language.h"
#include "ui/MainWnd.h"
#include "ui/RecentFiles.h"

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
  TUpdating updating(*this);
  m_editor.outputBox->setTitle(tr("出力"));
  m_editor.inputBox->setTitle(tr("入力"));
  m_editor.oldGetSpellCheckBox->setText(tr("スペルカード取得"));
  m_editor.newGetSpellCheckBox->setText(tr("スペルカード取得"));
  m_editor.groupingCheckBox->setText(tr("まとめて記述"));
  m_editor.memoLabel->setText(tr("メモ"));
  m_editor.newTitleLabel->setText(tr("タイトル"));
  m_editor.calcButton->setText(tr("算出(&C)"));
  m_editor.newButton->setText(tr("新規(&N)"));
  m_editor.applyButton->setText(tr("更新(&A)"));
  m_editor.deleteButton->setText(tr("削除(&D)"));

  RetranslateMenus();

  // The caption keeps its file name or its *difficulty*.
  const QString caption = windowTitle();
  const auto dash = caption.indexOf(QStringLiteral(" - "));
  SetCaption(dash < 0 ? QString() : caption.mid(dash + 3));

  FitLabelColumns();
  WriteOutputLabels();
  WriteInputLabels();
  NameForAssistiveTechnology();
  // The hint was in the former language; the next one comes in the new.
  SetStatusPanel(0, QString());
  KeepStatusPanelsWhole();  // room for the hint's shortest form in this language
  m_hoverCell = {-1, -1};
  // What the core explains of the selection (the terms' titles and formulas,
  // the status bar's totals) afresh; typed cells, titles and memos stay.
  if (CurrentNode() != nullptr || !m_session.TopSelection().empty()) ShowCurrentChoices();
}

}  // namespace qvl
