#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <string_view>

#include "ScriptedDialogs.h"
#include "ui/AppInfo.h"
#include "ui/URLLabel.h"
#include "ui/about.h"

namespace qvl {
namespace {

TEST(AboutForm, ShowsTheApplicationTitleCreditAndLink) {
  TScriptedDialogs dialogs;
  TAboutForm about(nullptr, dialogs);
  EXPECT_EQ(about.windowTitle(), QStringLiteral("バージョン情報"));
  EXPECT_EQ(about.AppNameLabel()->text(), QStringLiteral("Quovelパターンマネージャ v0.04"));
  EXPECT_EQ(about.AppNameLabel()->text(), ApplicationTitle());
  EXPECT_EQ(about.CreditLabel()->text(), CreditText());
  EXPECT_EQ(about.URLLabel()->text(), ProjectUrl());
  EXPECT_TRUE(about.URLLabel()->Executable());
  EXPECT_TRUE(about.URLLabel()->font().underline());
  EXPECT_EQ(about.OKButton()->text(), QStringLiteral("OK"));
  EXPECT_EQ(about.OKButton()->geometry(), QRect(72, 72, 75, 25));
  EXPECT_EQ(about.height(), 100);
  EXPECT_GE(about.width(), 224);
  // Assistive technology says what the box shows, not the object names.
  for (const char* name : {"AppNameLabel", "CreditLabel", "URLLabel", "OKButton"}) {
    QWidget* w = about.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
              name == std::string_view("OKButton") ? QStringLiteral("OK")
                                                   : static_cast<QLabel*>(w)->text())
        << name;
  }
}

TEST(AboutForm, PressingTheLinkOpensItThroughTheDialogs) {
  TScriptedDialogs dialogs;
  TAboutForm about(nullptr, dialogs);
  about.show();
  QTest::mousePress(about.URLLabel(), Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(dialogs.urls, QStringList{ProjectUrl()});
}

TEST(AboutForm, OkClosesWithAccepted) {
  TScriptedDialogs dialogs;
  TAboutForm about(nullptr, dialogs);
  about.show();
  QTest::mouseClick(about.OKButton(), Qt::LeftButton);
  EXPECT_EQ(about.result(), QDialog::Accepted);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace qvl
