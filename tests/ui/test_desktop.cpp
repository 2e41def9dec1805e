// What the window remembers between runs (recent files, its size and place,
// the dialogs' folders), the option that forgets it, and where the installed
// program finds its templates. The settings live in the tests' own folder
// (test_main.cpp) and start empty in every test.
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include "WindowFixture.h"
#include "ui/RecentFiles.h"
#include "ui/WindowSettings.h"

namespace qvl {
namespace {

QString Native(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

class DesktopTest : public WindowTest {
 protected:
  void SetUp() override {
    QSettings().clear();
    WindowTest::SetUp();
  }

  // A window that remembers, as the program makes it.
  TMainWnd& MakeRemembering(QStringList arguments = {}) {
    window = std::make_unique<TMainWnd>(dialogs, std::move(arguments));
    window->RememberSettings();
    window->show();
    return *window;
  }

  // Opens ファイル(&F) with a click on the menu bar.
  QMenu* ClickFileMenu() {
    QMenuBar* bar = window->menuBar();
    auto* file = Control<QMenu>("File1");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    EXPECT_TRUE(file->isVisible());
    return file;
  }

  // Opens a copy of the sample named name with ファイル(&F) > 開く(&O).
  void OpenCopy(const QString& name) {
    const QString path = WriteSample(name);
    dialogs.open_names.push_back(path);
    QTest::keyClick(ClickFileMenu(), Qt::Key_O);
  }

  // ファイル(&F) > 最近使ったファイル(&R), the submenu open.
  QMenu* OpenRecentMenu() {
    QTest::keyClick(ClickFileMenu(), Qt::Key_R);
    auto* recent = Control<QMenu>("Recent1");
    EXPECT_TRUE(recent->isVisible());
    return recent;
  }

  // The recent file of the access key number.
  void ChooseRecent(char number) { QTest::keyClick(OpenRecentMenu(), number); }

  void ClickClearRecent() {
    QMenu* recent = OpenRecentMenu();
    QTest::mouseClick(recent, Qt::LeftButton, {},
                      recent->actionGeometry(Action("ClearRecentFiles")).center());
  }

  // The visible items of the submenu: text and status tip.
  QStringList RecentItems() const {
    QStringList out;
    for (QAction* a : Control<QMenu>("Recent1")->actions()) {
      if (a->isVisible() && !a->isSeparator() && !a->statusTip().isEmpty()) {
        out << a->text() + QLatin1Char('|') + a->statusTip();
      }
    }
    return out;
  }
  QString RecentItem(int number, const QString& name) const {
    return QStringLiteral("&%1 %2|%3").arg(number).arg(name, Native(TempPath(name)));
  }
};

TEST_F(DesktopTest, RecentFilesListTheLastEightNewestFirstAndChoosingOneReopensIt) {
  Make();
  for (int i = 1; i <= 9; ++i) OpenCopy(QStringLiteral("f%1.pat").arg(i));
  QStringList expected;
  for (int i = 9; i >= 2; --i) expected << RecentItem(10 - i, QStringLiteral("f%1.pat").arg(i));
  EXPECT_EQ(RecentItems(), expected);

  ChooseRecent('5');  // f5.pat
  EXPECT_EQ(window->FileName(), Native(TempPath(QStringLiteral("f5.pat"))));
  EXPECT_EQ(RecentItems().first(), RecentItem(1, QStringLiteral("f5.pat")));
  EXPECT_EQ(RecentItems().size(), 8);
}

TEST_F(DesktopTest, ChoosingARecentFileAsksLikeOpenWhileModified) {
  Make({sample});
  OpenCopy(QStringLiteral("other.pat"));
  ModifyDocument();
  dialogs.confirms.push_back(false);
  ChooseRecent('2');  // sample.pat
  EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("confirm")});
  EXPECT_EQ(window->FileName(), Native(TempPath(QStringLiteral("other.pat"))));

  dialogs.confirms.push_back(true);
  ChooseRecent('2');
  EXPECT_EQ(window->FileName(), Native(sample));
  EXPECT_FALSE(window->DocumentModified());
}

TEST_F(DesktopTest, AMissingRecentFileIsNamedAndLeavesTheList) {
  Make({sample});
  OpenCopy(QStringLiteral("gone.pat"));
  const QString gone = Native(TempPath(QStringLiteral("gone.pat")));
  ASSERT_TRUE(QFile::remove(gone));
  ModifyDocument();
  ChooseRecent('1');
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
            QStringList{
                QStringLiteral("「") + gone +
                QStringLiteral("」が見つかりません！\n最近使ったファイルの一覧から削除します。")});
  EXPECT_EQ(RecentItems(), QStringList{RecentItem(1, QStringLiteral("sample.pat"))});
  EXPECT_TRUE(window->DocumentModified());  // nothing was replaced
}

TEST_F(DesktopTest, ClearingEmptiesTheListAndDisablesTheMenu) {
  MakeRemembering({sample});
  ASSERT_EQ(RecentItems().size(), 1);
  EXPECT_EQ(Control<QMenu>("Recent1")->title(), QStringLiteral("最近使ったファイル(&R)"));
  EXPECT_EQ(Action("ClearRecentFiles")->text(), QStringLiteral("一覧を消去"));
  ClickClearRecent();
  EXPECT_TRUE(RecentItems().isEmpty());
  EXPECT_FALSE(Control<QMenu>("Recent1")->menuAction()->isEnabled());
  EXPECT_TRUE(QSettings().value(QStringLiteral("RecentFiles/files")).toStringList().isEmpty());
}

TEST_F(DesktopTest, PlaceFoldersAndRecentFilesComeBackInTheNextWindow) {
  MakeRemembering({sample});
  dialogs.save_names.push_back(TempPath(QStringLiteral("saved.pat")));
  Action("SaveAs1")->trigger();
  window->setGeometry(QRect(QPoint(30, 40), window->minimumSize() + QSize(50, 20)));
  const QRect place = window->geometry();
  ASSERT_TRUE(window->close());

  MakeRemembering({sample});  // sample.pat moves back to the top
  EXPECT_EQ(window->geometry(), place);
  EXPECT_EQ(RecentItems(), (QStringList{RecentItem(1, QStringLiteral("sample.pat")),
                                        RecentItem(2, QStringLiteral("saved.pat"))}));
  dialogs.save_names.push_back(std::nullopt);
  Action("SaveAs1")->trigger();
  EXPECT_EQ(dialogs.file_specs.back().directory, QFileInfo(sample).absolutePath());
}

TEST_F(DesktopTest, AStoredPlaceIsFittedToTheMinimumAndTheScreen) {
  QSettings settings;
  for (const auto& [key, value] :
       {std::pair{"x", 90000}, {"y", -5000}, {"width", 10}, {"height", 10}}) {
    settings.setValue(QStringLiteral("MainWindow/") + QLatin1String(key), value);
  }
  settings.sync();
  TMainWnd& w = MakeRemembering();
  EXPECT_EQ(w.size(), w.minimumSize());
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(w.geometry().topLeft()))
      << w.geometry().x() << "," << w.geometry().y();
}

TEST(WindowSettings, FitOnScreens) {
  const QSize min{700, 800};
  const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  struct case_t {
    QRect saved;
    QRect expected;
  };
  const case_t cases[] = {
      {{100, 50, 900, 900}, {100, 50, 900, 900}},        // as it was
      {{100, 50, 300, 200}, {100, 50, 700, 800}},        // grown to the minimum
      {{2000, 100, 800, 900}, {2000, 100, 800, 900}},    // on the second screen
      {{-750, 10, 900, 900}, {-750, 10, 900, 900}},      // a grip of the top edge shows
      {{5000, 300, 800, 900}, {1120, 180, 800, 900}},    // its screen is gone
      {{400, -300, 800, 900}, {400, 0, 800, 900}},       // caption above the screen
      {{-9000, -9000, 2500, 1500}, {0, 0, 2500, 1500}},  // larger than the screen
  };
  for (const case_t& c : cases) {
    EXPECT_EQ(FitOnScreens(c.saved, min, two), c.expected)
        << c.saved.x() << "," << c.saved.y() << " " << c.saved.width() << "x" << c.saved.height();
  }
}

TEST_F(DesktopTest, ResetSettingsOptionForgetsEverythingAndIsNoFileName) {
  QSettings().setValue(QStringLiteral("Dialogs/openFolder"), QStringLiteral("/somewhere"));
  QStringList plain{QStringLiteral("a.pat")};
  EXPECT_FALSE(HandleResetSettingsOption(plain));
  EXPECT_EQ(plain, QStringList{QStringLiteral("a.pat")});
  EXPECT_FALSE(QSettings().allKeys().isEmpty());

  QStringList with{QStringLiteral("--reset-settings"), QStringLiteral("a.pat")};
  EXPECT_TRUE(HandleResetSettingsOption(with));
  EXPECT_EQ(with, QStringList{QStringLiteral("a.pat")});
  EXPECT_TRUE(QSettings().allKeys().isEmpty());
}

TEST_F(DesktopTest, TemplatesAreFoundBesideTheProgramOrInTheInstalledDataFolder) {
  const QString beside = TempPath(QStringLiteral("portable"));
  const QString installed = TempPath(QStringLiteral("usr"));
  const QString bare = TempPath(QStringLiteral("bare"));
  ASSERT_TRUE(QDir().mkpath(beside + QStringLiteral("/template")));
  ASSERT_TRUE(QDir().mkpath(installed + QStringLiteral("/bin")));
  ASSERT_TRUE(QDir().mkpath(installed + QStringLiteral("/share/quovel-pm/template")));
  ASSERT_TRUE(QDir().mkpath(bare));
  EXPECT_EQ(ApplicationDirFor(beside), beside);
  EXPECT_EQ(ApplicationDirFor(installed + QStringLiteral("/bin")),
            installed + QStringLiteral("/share/quovel-pm"));
  EXPECT_EQ(ApplicationDirFor(bare), bare);
}

}  // namespace
}  // namespace qvl
