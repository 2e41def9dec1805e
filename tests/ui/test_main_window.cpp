#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include "WindowFixture.h"
#include "grid/KwGrid.h"
#include "model/qvl_status.h"

namespace qvl {
namespace {

QString NotFound(const QString& path) {
  return QStringLiteral("「") + path + QStringLiteral("」が見つかりません！");
}

QString Native(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

void Drop(QWidget& target, const QStringList& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& f : files) urls << QUrl::fromLocalFile(f);
  data.setUrls(urls);
  // Qt delivers a drop to the widget that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
}

// --- start

TEST_F(WindowTest, StartsEmptyWithSaveDisabledAndClosesWithoutAsking) {
  TMainWnd& w = Make();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quovelパターンマネージャ v0.04"));
  EXPECT_EQ(Tree()->topLevelItemCount(), 0);
  EXPECT_FALSE(Action("Save1")->isEnabled());
  EXPECT_FALSE(Action("SaveAs1")->isEnabled());
  EXPECT_FALSE(Action("Copy1")->isEnabled());
  EXPECT_TRUE(Action("Open1")->isEnabled());
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(WindowTest, OpensTheFirstArgumentWhenFirstShownAndSelectsTheRoot) {
  TMainWnd& w = Make({sample, QStringLiteral("ignored.pat")});
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  EXPECT_EQ(w.FileName(), Native(sample));
  ASSERT_EQ(Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(Tree()->selectedItems(), QList<QTreeWidgetItem*>{Tree()->topLevelItem(0)});
  EXPECT_EQ(w.CurrentNode(), &w.Document());
  EXPECT_EQ(w.Document().difficulty, difficulty_t::Hard);
  EXPECT_TRUE(Action("Save1")->isEnabled());
  EXPECT_TRUE(Action("SaveAs1")->isEnabled());
  EXPECT_TRUE(Action("Copy1")->isEnabled());
  EXPECT_FALSE(w.DocumentModified());
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(WindowTest, MissingArgumentFileIsReportedAndChangesNothing) {
  const QString missing = TempPath(QStringLiteral("none.pat"));
  TMainWnd& w = Make({missing});
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{NotFound(missing)});
  EXPECT_EQ(w.windowTitle(), ApplicationTitle());
  EXPECT_TRUE(w.FileName().isEmpty());
  EXPECT_FALSE(Action("Save1")->isEnabled());
}

// --- templates

struct template_case_t {
  const char* action;
  const char* label;
  difficulty_t difficulty;
};

class TemplateTest : public WindowTest, public ::testing::WithParamInterface<template_case_t> {};

TEST_P(TemplateTest, NewDocumentFromEachTemplateThroughTheMenu) {
  const template_case_t& c = GetParam();
  TMainWnd& w = Make({sample});
  Action(c.action)->trigger();
  EXPECT_EQ(w.windowTitle(), Caption(QStringLiteral("*%1*").arg(QLatin1String(c.label))))
      << c.action;
  EXPECT_TRUE(w.FileName().isEmpty());
  EXPECT_EQ(w.Document().difficulty, c.difficulty);
  EXPECT_GT(w.Document().ChildCount(), 0);
  EXPECT_EQ(w.CurrentNode(), &w.Document());
  EXPECT_TRUE(dialogs.events.empty()) << dialogs.Kinds().join(QLatin1Char(',')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Window, TemplateTest,
    ::testing::Values(template_case_t{"Easy2", "Easy", difficulty_t::Easy},
                      template_case_t{"Normal2", "Normal", difficulty_t::Normal},
                      template_case_t{"Hard2", "Hard", difficulty_t::Hard},
                      template_case_t{"Lunatic2", "Lunatic", difficulty_t::Lunatic},
                      template_case_t{"Extra2", "Extra", difficulty_t::Extra},
                      template_case_t{"Phantasm1", "Phantasm", difficulty_t::Phantasm}));

TEST(TemplatePath, BothFormsOfRelativeNameResolveInsideTheApplicationDirectory) {
  const QString dir = QStringLiteral("/opt/qpm/bin");
  const QString expected = QDir::toNativeSeparators(QStringLiteral("/opt/qpm/bin/template/"));
  EXPECT_EQ(TMainWnd::TemplatePath(dir, QStringLiteral("template\\qvl_hard.pat")),
            expected + QStringLiteral("qvl_hard.pat"));
  EXPECT_EQ(
      TMainWnd::TemplatePath(dir + QStringLiteral("/"), QStringLiteral("./template/qvl_extra.pat")),
      expected + QStringLiteral("qvl_extra.pat"));
}

TEST_F(WindowTest, MissingTemplateNamesItsPathAndLeavesCaptionAndFileName) {
  TMainWnd& w = Make({sample}, TempPath(QStringLiteral("app")));
  Action("Lunatic2")->trigger();
  const QString expected = TMainWnd::TemplatePath(TempPath(QStringLiteral("app")),
                                                  QStringLiteral("template\\qvl_lunatic.pat"));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{NotFound(expected)});
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_EQ(w.Document().difficulty, difficulty_t::Hard);
}

TEST_F(WindowTest, NewWhileModifiedAsksFirstAndNoChangesNothing) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  dialogs.confirms.push_back(false);
  Action("Easy2")->trigger();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("「") + Native(sample) +
                        QStringLiteral("」の変更を破棄します。よろしいですか？")});
  EXPECT_EQ(w.Document().difficulty, difficulty_t::Hard);
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));

  dialogs.Clear();
  dialogs.confirms.push_back(true);
  Action("Easy2")->trigger();
  EXPECT_EQ(w.Document().difficulty, difficulty_t::Easy);
  EXPECT_FALSE(w.DocumentModified());
}

// --- open

TEST_F(WindowTest, OpenUsesThePatternFilterAndStartsNextTimeInTheFilesFolder) {
  TMainWnd& w = Make();
  dialogs.open_names.push_back(sample);
  Action("Open1")->trigger();
  ASSERT_EQ(dialogs.file_specs.size(), 1u);
  EXPECT_EQ(dialogs.file_specs[0].filter,
            QStringLiteral("パターンファイル (*.pat)|*.pat|すべてのファイル (*.*)|*.*"));
  EXPECT_TRUE(dialogs.file_specs[0].directory.isEmpty());  // the current directory
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  EXPECT_EQ(Tree()->topLevelItemCount(), 1);

  dialogs.open_names.push_back(std::nullopt);
  Action("Open1")->trigger();
  ASSERT_EQ(dialogs.file_specs.size(), 2u);
  EXPECT_EQ(dialogs.file_specs[1].directory, QFileInfo(sample).absolutePath());
}

TEST_F(WindowTest, CancelledOpenChangesNothing) {
  TMainWnd& w = Make({sample});
  dialogs.open_names.push_back(std::nullopt);
  Action("Open1")->trigger();
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  EXPECT_EQ(w.CurrentNode(), &w.Document());
}

TEST_F(WindowTest, OpenOfAMissingFileIsReportedAndChangesNothing) {
  TMainWnd& w = Make({sample});
  const QString missing = TempPath(QStringLiteral("gone.pat"));
  dialogs.open_names.push_back(missing);
  Action("Open1")->trigger();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{NotFound(missing)});
  EXPECT_EQ(w.FileName(), Native(sample));
}

TEST_F(WindowTest, OpenWhileModifiedAsksBeforeTheDialog) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  dialogs.confirms.push_back(false);
  Action("Open1")->trigger();
  EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("confirm")});
  EXPECT_TRUE(w.DocumentModified());
}

TEST_F(WindowTest, FailedLoadAsksRetryThenLeavesFileNameCaptionAndFlags) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  const QString broken = WriteBytes(QStringLiteral("broken.pat"), "(qvl-pattern (@ (broken");
  dialogs.confirms.push_back(true);  // discard the changes
  dialogs.retries = {true, false};   // Retry once, then Abort
  dialogs.open_names.push_back(broken);
  Action("Open1")->trigger();
  const QStringList retries = dialogs.Texts(QStringLiteral("retry"));
  ASSERT_EQ(retries.size(), 2);
  // The fixed text, then where the file could not be read and why.
  EXPECT_EQ(retries[0], ToQString(LoadFailureMessage(ToPath(Native(broken)))) +
                            QStringLiteral("\n1行24文字目でファイルが終わっています。"
                                           "1行17文字目からのリストを閉じる「)」が必要です。"));
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  // The document still holds the change, so it still counts as modified.
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_EQ(w.CurrentNode(), &w.Document());
}

// A file that is no plan fails like a broken one, by the File menu's shortcut
// and by a drop: the retry box says why, and the document, its file name and
// caption stay. Only blanks and comments open, as a new empty plan.
TEST_F(WindowTest, AFileThatIsNotAPlanIsRefusedAndABlankOneIsANewEmptyPlan) {
  TMainWnd& w = Make({sample});
  Activate();
  const QString notes =
      WriteBytes(QStringLiteral("notes.txt"), QByteArrayLiteral("one line of words\r\n"));
  const QString picture =
      WriteBytes(QStringLiteral("x.pat"), QByteArrayLiteral("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"));
  const std::string before = w.Document().WriteSXML(0);
  dialogs.retries = {false, false};
  dialogs.open_names.push_back(notes);
  Key(Qt::Key_O, Qt::ControlModifier);
  Drop(w, {picture});
  const QString reason =
      QStringLiteral("\n「root」要素がありません。パターンファイルではないようです。");
  EXPECT_EQ(dialogs.Texts(QStringLiteral("retry")),
            (QStringList{ToQString(LoadFailureMessage(ToPath(Native(notes)))) + reason,
                         ToQString(LoadFailureMessage(ToPath(Native(picture)))) + reason}));
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  EXPECT_EQ(w.Document().WriteSXML(0), before);
  EXPECT_EQ(Tree()->topLevelItem(0)->childCount(), 2);

  // The Hard plan before leaves nothing in the empty one: a new document's
  // difficulty, and the totals that go with it.
  const QString blank =
      WriteBytes(QStringLiteral("blank.pat"), QByteArrayLiteral("; nothing planned yet\r\n"));
  dialogs.open_names.push_back(blank);
  Key(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(w.FileName(), Native(blank));
  root_t fresh;
  EXPECT_EQ(w.Document().difficulty, fresh.difficulty);
  const std::array<std::string, 5> expected = StatusPanelTexts(fresh);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(
        Control<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->text(),
        ToQString(expected[static_cast<std::size_t>(i - 1)]))
        << i;
  }
}

// --- save

TEST_F(WindowTest, SaveAsksBeforeOverwritingAndYesWrites) {
  TMainWnd& w = Make({sample});
  const QByteArray before = ReadBytes(sample);
  ModifyDocument();
  dialogs.confirms.push_back(true);
  Action("Save1")->trigger();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("編集中のファイル「") + Native(sample) +
                        QStringLiteral("」を上書きします。よろしいですか？")});
  EXPECT_FALSE(w.DocumentModified());
  const QByteArray after = ReadBytes(sample);
  EXPECT_NE(after, before);
  EXPECT_TRUE(after.contains(QByteArray::fromStdString(Utf8ToCp932("変更"))));
}

TEST_F(WindowTest, SaveAnsweredNoWritesNothingAndKeepsTheFlag) {
  TMainWnd& w = Make({sample});
  const QByteArray before = ReadBytes(sample);
  ModifyDocument();
  dialogs.confirms.push_back(false);
  Action("Save1")->trigger();
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_EQ(ReadBytes(sample), before);
}

TEST_F(WindowTest, SaveOfATemplateDocumentShowsTheSaveDialogAndCancelKeepsItModified) {
  TMainWnd& w = Make();
  Action("Hard2")->trigger();
  ModifyDocument();
  dialogs.save_names.push_back(std::nullopt);
  Action("Save1")->trigger();
  ASSERT_EQ(dialogs.file_specs.size(), 1u);
  EXPECT_EQ(dialogs.file_specs[0].default_suffix, QStringLiteral("pat"));
  EXPECT_EQ(dialogs.file_specs[0].filter,
            QStringLiteral("パターンファイル (*.pat)|*.pat|すべてのファイル (*.*)|*.*"));
  EXPECT_TRUE(w.DocumentModified());

  dialogs.Clear();
  dialogs.confirms.push_back(false);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("「」の変更を破棄します。よろしいですか？")});
  EXPECT_TRUE(w.isVisible());
}

TEST_F(WindowTest, SaveAsWritesTheFileAndNamesTheWindowAfterIt) {
  TMainWnd& w = Make();
  Action("Hard2")->trigger();
  ModifyDocument();
  const QString target = TempPath(QStringLiteral("mine.pat"));
  dialogs.save_names.push_back(target);
  Action("SaveAs1")->trigger();
  EXPECT_EQ(w.FileName(), Native(target));
  EXPECT_EQ(w.windowTitle(), Caption(Native(target)));
  EXPECT_FALSE(w.DocumentModified());
  root_t reread;
  ASSERT_TRUE(LoadDocument(reread, ToPath(target), nullptr));
  EXPECT_EQ(reread.difficulty, difficulty_t::Hard);
  EXPECT_EQ(reread.memo, Utf8ToCp932("変更"));

  // The next Save As starts in that folder; Save now asks to overwrite it.
  dialogs.save_names.push_back(std::nullopt);
  Action("SaveAs1")->trigger();
  EXPECT_EQ(dialogs.file_specs.back().directory, QFileInfo(target).absolutePath());
  dialogs.confirms.push_back(false);
  Action("Save1")->trigger();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")).size(), 1);
}

TEST_F(WindowTest, AnOpenAbandonedTemporaryFileOutlivesTheSavesBesideIt) {
  // Opened to recover it: saves in its folder clear abandoned temporary files,
  // but not the one open in the window, also after it was saved over.
  const QString temporary = WriteSample(QStringLiteral(".qvl-save-0123456789abcdef.tmp"));
  TMainWnd& w = Make({temporary});
  ASSERT_EQ(w.FileName(), Native(temporary));
  dialogs.confirms.push_back(true);
  Action("Save1")->trigger();
  ASSERT_TRUE(
      WriteFileAtomically(ToPath(TempPath(QStringLiteral("beside.pat"))), "another save").ok);
  EXPECT_TRUE(QFileInfo::exists(temporary));

  dialogs.save_names.push_back(TempPath(QStringLiteral("recovered.pat")));
  Action("SaveAs1")->trigger();
  EXPECT_EQ(w.FileName(), Native(TempPath(QStringLiteral("recovered.pat"))));
  EXPECT_TRUE(QFileInfo::exists(temporary));
}

TEST_F(WindowTest, FailedSaveShowsTheReasonAndKeepsTheDocumentModified) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  // Named with characters code page 932 cannot hold: the message keeps them.
  const QString impossible = TempPath(QStringLiteral("no-such-folder-é한/x.pat"));
  dialogs.save_names.push_back(impossible);
  Action("SaveAs1")->trigger();
  const QStringList errors = dialogs.Texts(QStringLiteral("error"));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith(QStringLiteral("「") + Native(impossible) +
                                   QStringLiteral("」を保存できませんでした。\n")))
      << errors[0].toStdString();
  EXPECT_GT(errors[0].size(), (QStringLiteral("「") + Native(impossible) +
                               QStringLiteral("」を保存できませんでした。\n"))
                                  .size());
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_EQ(w.windowTitle(), Caption(Native(sample)));
  EXPECT_FALSE(QFileInfo::exists(impossible));
}

// --- close and drop

TEST_F(WindowTest, CloseAsksWhileModifiedNoKeepsTheWindowYesCloses) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  dialogs.confirms.push_back(false);
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  dialogs.confirms.push_back(true);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")).size(), 2);
}

TEST_F(WindowTest, ExitMenuClosesThroughTheSameQuestion) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  dialogs.confirms.push_back(false);
  Action("Exit1")->trigger();
  EXPECT_TRUE(w.isVisible());
}

TEST_F(WindowTest, CloseAsksAboutAnUnappliedSceneMemo) {
  TMainWnd& w = Make({sample});
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("まだ"));
  EXPECT_TRUE(w.MemoModified());
  dialogs.confirms.push_back(false);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("「Hard 全体」のメモの変更を破棄します。よろしいですか？")});
}

TEST_F(WindowTest, OpenAndNewAskAboutAnUnappliedSceneMemoFirst) {
  TMainWnd& w = Make({sample});
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("まだ"));
  const QString question =
      QStringLiteral("「Hard 全体」のメモの変更を破棄します。よろしいですか？");
  dialogs.confirms.push_back(false);
  Action("Open1")->trigger();
  EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("confirm")});
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{question});
  EXPECT_TRUE(w.MemoModified());

  // Yes to the memo, then No to nothing else (the document is unchanged).
  dialogs.Clear();
  dialogs.confirms.push_back(true);
  Action("Normal2")->trigger();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{question});
  EXPECT_EQ(w.Document().difficulty, difficulty_t::Normal);
  EXPECT_FALSE(w.MemoModified());
}

TEST_F(WindowTest, DropAsksAboutAnUnappliedSceneMemo) {
  TMainWnd& w = Make({sample});
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("まだ"));
  const QString second = WriteSample(QStringLiteral("second.pat"));
  dialogs.confirms.push_back(false);
  Drop(w, {second});
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_TRUE(w.MemoModified());
}

TEST(Dialogs, FilterOfTheFileDialogsBecomesQtNameFilters) {
  EXPECT_EQ(
      NameFiltersOf(QStringLiteral("パターンファイル (*.pat)|*.pat|すべてのファイル (*.*)|*.*")),
      (QStringList{QStringLiteral("パターンファイル (*.pat)"),
                   QStringLiteral("すべてのファイル (*.*)")}));
}

TEST_F(WindowTest, DropOpensOnlyTheFirstFile) {
  TMainWnd& w = Make();
  const QString second = WriteSample(QStringLiteral("second.pat"));
  Drop(w, {sample, second, TempPath(QStringLiteral("third.pat"))});
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(WindowTest, DropWhileModifiedAsksLikeOpen) {
  TMainWnd& w = Make({sample});
  ModifyDocument();
  const QString second = WriteSample(QStringLiteral("second.pat"));
  dialogs.confirms.push_back(false);
  Drop(w, {second});
  EXPECT_EQ(w.FileName(), Native(sample));
  EXPECT_TRUE(w.DocumentModified());
  dialogs.confirms.push_back(true);
  Drop(w, {second});
  EXPECT_EQ(w.FileName(), Native(second));
  EXPECT_FALSE(w.DocumentModified());
}

TEST_F(WindowTest, DropOfAMissingFileIsReportedAndChangesNothing) {
  TMainWnd& w = Make({sample});
  const QString missing = TempPath(QStringLiteral("missing.pat"));
  Drop(w, {missing});
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{NotFound(missing)});
  EXPECT_EQ(w.FileName(), Native(sample));
}

// --- the window's parts

TEST_F(WindowTest, MenuCaptionsAndShortcuts) {
  Make();
  struct item_t {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
  };
  const item_t items[] = {
      {"Easy2", "Easy", {}},
      {"Phantasm1", "Phantasm", {}},
      {"Open1", "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"Save1", "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"SaveAs1", "名前を付けて保存(&A)...", {}},
      {"Exit1", "終了(&X)", {}},
      {"Copy1", "旧パターンをコピー(&C)", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C)},
      {"About1", "バージョン情報(&A)...", {}},
  };
  for (const item_t& i : items) {
    QAction* a = Action(i.name);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(), QString::fromUtf8(i.caption)) << i.name;
    EXPECT_EQ(a->shortcut(), i.shortcut) << i.name;
  }
  const char* const menus[][2] = {{"File1", "ファイル(&F)"},
                                  {"New1", "新規作成(&N)"},
                                  {"Edit1", "編集(&E)"},
                                  {"Help1", "ヘルプ(&H)"}};
  for (const auto& m : menus) {
    QMenu* menu = Control<QMenu>(m[0]);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QString::fromUtf8(m[1]));
  }
}

TEST_F(WindowTest, LayoutSizesCaptionsAndInitialStates) {
  TMainWnd& w = Make();
  EXPECT_EQ(Control<QGroupBox>("SceneMemoGroupBox")->title(), QStringLiteral("場面別メモ"));
  EXPECT_EQ(Control<QGroupBox>("SceneMemoGroupBox")->height(), 196);
  EXPECT_EQ(Control("SceneMemoApplyButton")->size(), QSize(75, 25));
  // At any size the memo box holds its memo (147 pixels at most) and, below
  // it, its button, whole, inside the box's frame.
  for (const QSize size : {w.minimumSize(), w.size() + QSize(300, 200)}) {
    SCOPED_TRACE(size.width());
    w.resize(size);
    QCoreApplication::processEvents();
    const QRect inside = Control("SceneMemoGroupBox")->contentsRect();
    const QRect memo = Control("SceneMemo")->geometry();
    const QRect button = Control("SceneMemoApplyButton")->geometry();
    EXPECT_LE(memo.height(), 147);
    EXPECT_TRUE(inside.contains(memo)) << memo.bottom() << " " << inside.bottom();
    EXPECT_TRUE(inside.contains(button)) << button.bottom() << " " << inside.bottom();
    EXPECT_LT(memo.bottom(), button.top());
  }
  EXPECT_EQ(Control<QGroupBox>("OutputGroupBox")->title(), QStringLiteral("出力"));
  // As drawn, or taller where the caption's font needs it: every row shows.
  EXPECT_GE(Control<QGroupBox>("OutputGroupBox")->height(), 357);
  EXPECT_EQ(Control<QGroupBox>("InputGroupBox")->title(), QStringLiteral("入力"));
  // A font wider than the one the layout was drawn for widens the label
  // columns, and the pane with them.
  const int extra = Control<TKwGrid>("InputKwGrid")->ColWidth(0) - 155;
  EXPECT_GE(extra, 0);
  EXPECT_EQ(Control("OutputGroupBox")->width(), 567 + extra);
  EXPECT_EQ(Control("InputKwGrid")->height(), 283);
  EXPECT_EQ(w.statusBar()->height(), 19);
  // At least the designed widths, fixed, so that only panel 0 follows the window.
  const int widths[] = {60, 55, 50, 115, 65};
  for (int i = 1; i <= 5; ++i) {
    QWidget* panel = Control(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData());
    EXPECT_GE(panel->width(), widths[i - 1]);
    EXPECT_EQ(panel->minimumWidth(), panel->maximumWidth());
  }
  const int panel0 = Control("StatusPanel0")->width();
  w.resize(w.width() + 100, w.height());
  QCoreApplication::processEvents();
  EXPECT_EQ(Control("StatusPanel0")->width(), panel0 + 100);
  // Initial texts of the panels, and the buttons of the editor.
  const char* const initial[] = {"☆", "Graze", "Point", "Cherry/Cherry Max", "Spell/C+"};
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(
        Control<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->text(),
        QString::fromUtf8(initial[i - 1]));
  }
  const char* const buttons[][2] = {{"CalcButton", "算出(&C)"},
                                    {"NewButton", "新規(&N)"},
                                    {"ApplyButton", "更新(&A)"},
                                    {"DeleteButton", "削除(&D)"},
                                    {"SceneMemoApplyButton", "更新(&M)"}};
  for (const auto& b : buttons) {
    auto* button = Control<QPushButton>(b[0]);
    EXPECT_EQ(button->text(), QString::fromUtf8(b[1]));
    EXPECT_FALSE(button->isEnabled()) << b[0];
  }
  EXPECT_TRUE(Control<QPushButton>("CalcButton")->isDefault());
  EXPECT_EQ(Control<QCheckBox>("GroupingCheckBox")->text(), QStringLiteral("まとめて記述"));
  EXPECT_EQ(Control<QCheckBox>("NewGetSpellCheckBox")->text(), QStringLiteral("スペルカード取得"));
  EXPECT_FALSE(Control<QComboBox>("OldTitleComboBox")->isEnabled());
  EXPECT_TRUE(w.acceptDrops());
  EXPECT_GE(w.minimumWidth(), 700);
}

TEST_F(WindowTest, GridsAreSetUpWithTheirLabels) {
  Make();
  auto* in = Control<TKwGrid>("InputKwGrid");
  EXPECT_EQ(in->ColCount(), 4);
  EXPECT_EQ(in->RowCount(), 11);
  EXPECT_GE(in->ColWidth(0), 155);
  EXPECT_EQ(in->RowHeight(2), 25);
  EXPECT_EQ(in->CellText(3, 0), QStringLiteral("差"));
  EXPECT_EQ(in->CellText(0, 1), QStringLiteral("ボーダーボーナスを得た回数"));
  EXPECT_EQ(in->CellText(0, 10), QStringLiteral("取得スペルカード枚数"));
  auto* out = Control<TKwGrid>("OutputKwGrid");
  EXPECT_EQ(out->ColCount(), 5);
  EXPECT_EQ(out->RowCount(), 14);
  EXPECT_EQ(out->RowHeight(6), 27);
  // Both label columns grow alike.
  EXPECT_EQ(out->ColWidth(1) - 177, in->ColWidth(0) - 155);
  EXPECT_EQ(out->CellText(2, 0), QStringLiteral("旧パターン"));
  EXPECT_EQ(out->CellText(3, 0), QStringLiteral("新パターン"));
  EXPECT_EQ(out->DisplayText(0, 1), QStringLiteral("ボーダーボーナス"));
  EXPECT_EQ(out->DisplayText(0, 4), QStringLiteral("桜点"));
  EXPECT_EQ(out->DisplayText(1, 13), QStringLiteral("合計"));
  EXPECT_EQ(out->CellText(1, 5), QStringLiteral("後のスペルカードボーナスへの影響"));
}

TEST_F(WindowTest, AboutBoxShowsModallyWithItsTitle) {
  Make();
  QString app_name;
  dialogs.on_modal = [&app_name](QDialog& d) {
    app_name = d.findChild<QLabel*>(QStringLiteral("AppNameLabel"))->text();
  };
  Action("About1")->trigger();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("modal")), QStringList{QStringLiteral("バージョン情報")});
  EXPECT_EQ(app_name, ApplicationTitle());
}

TEST_F(WindowTest, ShowingTheRootFillsStatusBarAndComparisonTable) {
  TMainWnd& w = Make({sample});
  const std::array<std::string, 5> expected = StatusPanelTexts(w.Document());
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(
        Control<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->text(),
        ToQString(expected[static_cast<std::size_t>(i - 1)]));
  }
  EXPECT_TRUE(Control<QLabel>("StatusPanel5")->text().startsWith(QStringLiteral("Spell: ")));
  ASSERT_NE(w.Comparison().OldValue(), nullptr);
  EXPECT_EQ(w.Comparison().NewValue(), nullptr);  // the root is not edited
  auto* out = Control<TKwGrid>("OutputKwGrid");
  EXPECT_EQ(out->CellText(2, 13), QString::number(w.Comparison().OldValue()->Total().Value()));
  EXPECT_EQ(out->CellText(3, 13), QString());
}

TEST_F(WindowTest, CopyOfTheCurrentPatternPutsItsTextOnTheClipboard) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  Action("Copy1")->trigger();
  EXPECT_EQ(dialogs.clipboard, ToQString(w.CurrentNode()->patterns.Current()->WriteSXML(0)));
}

}  // namespace
}  // namespace qvl
