#include "ui/AppInfo.h"

#include <QApplication>
#include <QPalette>
#include <QStringList>
#include <QToolTip>

#include "calc/CalcCustom.h"

#ifndef QVL_PROJECT_URL
#define QVL_PROJECT_URL "https://quovel-pm.example.org/"
#endif
#ifndef QVL_CREDIT_TEXT
#define QVL_CREDIT_TEXT "Quovel PM project"
#endif

namespace qvl {
namespace {

// Japanese fonts that Debian and other desktops ship, tried in order after
// the Windows font the layout was drawn with.
const QStringList& JapaneseFallbacks(bool monospace) {
  static const QStringList gothic{QStringLiteral("IPAPGothic"),       QStringLiteral("IPAGothic"),
                                  QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                                  QStringLiteral("TakaoPGothic"),     QStringLiteral("Sans Serif")};
  static const QStringList mono{
      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
      QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic"), QStringLiteral("Monospace")};
  return monospace ? mono : gothic;
}

QFont JapaneseFont(const QStringList& preferred, bool monospace, int pixel_size) {
  QFont font;
  font.setFamilies(preferred + JapaneseFallbacks(monospace));
  font.setPixelSize(pixel_size);
  if (monospace) font.setStyleHint(QFont::TypeWriter);
  return font;
}

}  // namespace

QString ApplicationTitle() {
  return QStringLiteral("Quovelパターンマネージャ v0.04");
}

QFont UiFont() {
  return JapaneseFont({QStringLiteral("MS UI Gothic")}, false, 12);
}

QFont GridFont() {
  return JapaneseFont({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")}, true, 13);
}

QString CreditText() {
  return QStringLiteral(QVL_CREDIT_TEXT);
}

QString ProjectUrl() {
  return QStringLiteral(QVL_PROJECT_URL);
}

void SetUpApplication(QApplication& app) {
  // The window caption carries the title itself; a display name would make
  // some platforms append it a second time.
  QApplication::setApplicationName(QStringLiteral("quovel-pm"));
  QGuiApplication::setDesktopFileName(QStringLiteral("quovel-pm"));
  app.setProperty("applicationTitle", ApplicationTitle());

  QPalette hints = QToolTip::palette();
  hints.setColor(QPalette::ToolTipBase, kHintColor);
  hints.setColor(QPalette::ToolTipText, Qt::black);
  QToolTip::setPalette(hints);
  QToolTip::setFont(GridFont());

  // The window adds scb, which needs the window's selection.
  RegisterStandardFunctions();
}

}  // namespace qvl
