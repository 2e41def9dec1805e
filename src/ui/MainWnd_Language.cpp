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
  // Named in both languages, and each language in its own, so that a player
  // finds the way back whichever language the window speaks.
  m_menus.languageMenu = m_menus.viewMenu->addMenu(QStringLiteral("言語 / Language(&L)"));
  m_menus.languageMenu->setObjectName(QStringLiteral("Language1"));
  auto* group = new QActionGroup(m_menus.languageMenu);
  group->setExclusive(true);
  const auto item = [this, group](const QString& text, const QString& name, language_t language) {
    QAction* a = m_menus.languageMenu->addAction(text);
    a->setObjectName(name);
    a->setCheckable(true);
    a->setChecked(WindowLanguage() == language);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, language] { LanguageItemClick(language); });
    return a;
  };
  m_menus.japanese1 =
      item(QStringLiteral("日本語(&J)"), QStringLiteral("Japanese1"), language_t::Japanese);
  m_menus.english1 =
      item(QStringLiteral("English(&E)"), QStringLiteral("English1"), language_t::English);
}

void TMainWnd::LanguageItemClick(language_t language) {
  if (language == WindowLanguage()) return;
  if (!SetWindowLanguage(language)) {
    // Without its translation the window stays in the language it speaks.
    m_menus.japanese1->setChecked(WindowLanguage() == language_t::Japanese);
    m_menus.english1->setChecked(WindowLanguage() == language_t::English);
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
  m_tree.sceneMemoBox->setTitle(tr("場面別メモ"));
  m_tree.sceneMemoApplyButton->setText(tr("更新(&M)"));
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

  m_menus.fileMenu->setTitle(tr("ファイル(&F)"));
  m_menus.newMenu->setTitle(tr("新規作成(&N)"));
  m_menus.open1->setText(tr("開く(&O)..."));
  m_menus.save1->setText(tr("上書き保存(&S)"));
  m_menus.saveAs1->setText(tr("名前を付けて保存(&A)..."));
  m_menus.recent1->setTitle(tr("最近使ったファイル(&R)"));
  m_menus.recentFiles->Retranslate();
  m_menus.exit1->setText(tr("終了(&X)"));
  m_menus.editMenu->setTitle(tr("編集(&E)"));
  m_menus.copy1->setText(tr("旧パターンをコピー(&C)"));
  m_menus.viewMenu->setTitle(tr("表示(&V)"));
  m_menus.scoreChart1->setText(tr("スコア推移(&G)"));
  m_menus.helpMenu->setTitle(tr("ヘルプ(&H)"));
  m_menus.about1->setText(tr("バージョン情報(&A)..."));
  m_menus.japanese1->setChecked(WindowLanguage() == language_t::Japanese);
  m_menus.english1->setChecked(WindowLanguage() == language_t::English);
  UpdateUndoActions();

  m_tree.edit2->setText(tr("選択(&S)"));
  m_tree.copy2->setText(tr("コピー(&C)"));
  m_tree.p1->setText(tr("パターンの一括指定(&P)"));

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
