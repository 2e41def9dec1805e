#include "ui/AppInfo.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QPalette>
#include <QStringList>
#include <QToolTip>
#include <QTranslator>

#include "calc/CalcCustom.h"
#include "ui/Language.h"

#ifndef QVL_PROJECT_URL
#define QVL_PROJECT_URL "https://quovel-pm.example.org/"
#endif
#ifndef QVL_CREDIT_TEXT
#define QVL_CREDIT_TEXT "Quovel PM project"
#endif
#ifndef QVL_DATA_FROM_BIN
#define QVL_DATA_FROM_BIN "../share/quovel-pm"
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

// The first installed family of the list, looked up once: a single family
// spares the font machinery a fallback search for every text it shapes.
QString FirstInstalled(const QStringList& families) {
  for (const QString& family : families) {
    if (QFontDatabase::hasFamily(family)) return family;
  }
  return families.last();
}

QFont JapaneseFont(const QStringList& preferred, bool monospace, int pixel_size) {
  static const QString ui =
      FirstInstalled(QStringList{QStringLiteral("MS UI Gothic")} + JapaneseFallbacks(false));
  static const QString grid =
      FirstInstalled(QStringList{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")} +
                     JapaneseFallbacks(true));
  (void)preferred;
  QFont font(monospace ? grid : ui);
  font.setPixelSize(pixel_size);
  if (monospace) font.setStyleHint(QFont::TypeWriter);
  return font;
}

}  // namespace

QString ApplicationTitle() {
  return QCoreApplication::translate("qvl::TMainWnd", "Quovelパターンマネージャ v0.04");
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

QTranslator* LoadQtTranslation(const QString& code, const QString& dir) {
  const QString folder = dir.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : dir;
  // Owned by the application, which consults it for as long as it runs.
  auto* translator = new QTranslator(qApp);
  if (!translator->load(QStringLiteral("qtbase_") + code, folder)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

QString ApplicationDirFor(const QString& program_dir) {
  const QDir own(program_dir);
  if (QFileInfo(own.filePath(QStringLiteral("template"))).isDir()) return program_dir;
  const QString installed = QDir::cleanPath(own.filePath(QStringLiteral(QVL_DATA_FROM_BIN)));
  if (QFileInfo(QDir(installed).filePath(QStringLiteral("template"))).isDir()) return installed;
  return program_dir;
}

void SetUpApplication(QApplication& app) {
  // The window caption carries the title itself; a display name would make
  // some platforms append it a second time.
  QApplication::setApplicationName(QStringLiteral("quovel-pm"));
  // Settings in ~/.config/quovel-pm/quovel-pm.conf.
  QApplication::setOrganizationName(QStringLiteral("quovel-pm"));
  QGuiApplication::setDesktopFileName(QStringLiteral("quovel-pm"));
  app.setProperty("applicationTitle", ApplicationTitle());
  // The installed theme's icon where there is one, else the built-in copy.
  QIcon builtin;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    builtin.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quovel-pm"), builtin));

  QPalette hints = QToolTip::palette();
  hints.setColor(QPalette::ToolTipBase, kHintColor);
  hints.setColor(QPalette::ToolTipText, Qt::black);
  QToolTip::setPalette(hints);
  QToolTip::setFont(GridFont());
  // Menus and dialogs share the window's font.
  QApplication::setFont(UiFont());

  // Japanese until the program was asked for another language; so are the
  // buttons Qt supplies.
  SetWindowLanguage(language_t::Japanese);

  // scb reads the selection of the calculator that evaluates it: each window
  // gives its own calculator the node it shows.
  RegisterStandardFunctions();
  RegisterScb();
}

}  // namespace qvl
