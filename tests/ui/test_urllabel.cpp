#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>

#include "ui/URLLabel.h"

namespace qvl {
namespace {

const QColor kNormal(10, 20, 30);

class URLLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    label.setText(QStringLiteral("https://example.org/"));
    label.resize(120, 14);
    label.SetFontColor(kNormal);
    label.Open = [this](const QString& url) { opened << url; };
    label.show();
  }
  // A button left down would hold the mouse for the label in later tests.
  void TearDown() override {
    for (const Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
      if (QGuiApplication::mouseButtons() & b) QTest::mouseRelease(&label, b, {}, QPoint(5, 5));
    }
  }
  void Enter() {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), label.mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(&label, &e);
  }
  void Leave() {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &e);
  }
  void Press(Qt::MouseButton button) { QTest::mousePress(&label, button, {}, QPoint(5, 5)); }
  void Release(QPoint at) { QTest::mouseRelease(&label, Qt::LeftButton, {}, at); }

  TURLLabel label;
  QStringList opened;
};

TEST_F(URLLabelTest, DefaultsFollowTheDesign) {
  TURLLabel fresh;
  EXPECT_FALSE(fresh.Executable());
  EXPECT_TRUE(fresh.HotTrack());
  EXPECT_EQ(fresh.HotColor(), QColor(0, 255, 255));
  EXPECT_EQ(fresh.PushedColor(), QColor(255, 0, 0));
  EXPECT_EQ(fresh.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(URLLabelTest, HotTracksEnterPressAndLeave) {
  Enter();
  EXPECT_EQ(label.FontColor(), label.HotColor());
  Press(Qt::LeftButton);
  EXPECT_EQ(label.FontColor(), label.PushedColor());
  Release(QPoint(5, 5));
  EXPECT_EQ(label.FontColor(), label.HotColor());
  Leave();
  EXPECT_EQ(label.FontColor(), kNormal);
}

TEST_F(URLLabelTest, ReleasingOffTheLabelRestoresTheRememberedColour) {
  Enter();
  Press(Qt::LeftButton);
  Release(QPoint(500, 500));
  EXPECT_EQ(label.FontColor(), kNormal);
}

TEST_F(URLLabelTest, EveryButtonOpensTheCaptionOnPressWhenExecutable) {
  label.SetExecutable(true);
  for (const Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    Press(b);
  }
  EXPECT_EQ(opened, QStringList(3, QStringLiteral("https://example.org/")));
}

TEST_F(URLLabelTest, NotExecutableOnlyRecolours) {
  Enter();
  Press(Qt::LeftButton);
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(label.FontColor(), label.PushedColor());
}

TEST_F(URLLabelTest, WithoutHotTrackTheColourNeverChangesButTheLinkStillOpens) {
  label.SetHotTrack(false);
  label.SetExecutable(true);
  Enter();
  Press(Qt::LeftButton);
  Release(QPoint(5, 5));
  Leave();
  EXPECT_EQ(label.FontColor(), kNormal);
  EXPECT_EQ(opened.size(), 1);
}

TEST_F(URLLabelTest, ColourSettersStoreNewValues) {
  label.SetHotColor(QColor(1, 2, 3));
  label.SetPushedColor(QColor(4, 5, 6));
  EXPECT_EQ(label.HotColor(), QColor(1, 2, 3));
  EXPECT_EQ(label.PushedColor(), QColor(4, 5, 6));
  Enter();
  EXPECT_EQ(label.FontColor(), QColor(1, 2, 3));
}

}  // namespace
}  // namespace qvl
