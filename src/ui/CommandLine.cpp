#include "ui/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <iostream>
#include <string_view>

#include "ui/Language.h"
#include "ui/Platform.h"

namespace qvl {

bool AsksForAnswerOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help" || a == "-h" || a == "--version") return true;
  }
  return false;
}

void PrepareWindowlessRun() {
  qputenv("QT_QPA_PLATFORM", WindowlessPlatform());
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
  });
}

std::optional<int> AnswerCommandLine(const QStringList& arguments) {
  for (const QString& a : arguments) {
    if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
      std::cout << QCoreApplication::translate(
                       "TCommandLine",
                       "使い方: quovel-pm [--lang %1] [--reset-settings] [ファイル.pat]\n"
                       "        quovel-pm --export-chart 計画.pat 出力.png|出力.svg "
                       "[--size 幅x高さ] [--lang %1]\n"
                       "        quovel-pm --help | --version\n"
                       "ファイルを開いてウィンドウを表示します。詳しくは man quovel-pm を"
                       "ご覧ください。")
                       .arg(LanguageCodes())
                       .toStdString()
                << '\n';
      return 0;
    }
    if (a == QStringLiteral("--version")) {
      std::cout << "quovel-pm 0.04 (Quovel Pattern Manager)\n";
      return 0;
    }
  }
  for (const QString& a : arguments) {
    // A file may be named like an option; only a name that is no file is
    // taken for a mistyped option.
    if (a == QStringLiteral("--reset-settings")) continue;
    if (a.size() > 1 && a.startsWith(QLatin1Char('-')) && !QFileInfo::exists(a)) {
      std::cerr << "quovel-pm: "
                << QCoreApplication::translate(
                       "TCommandLine",
                       "「%1」は知らないオプションです。使い方は quovel-pm --help で表示します。")
                       .arg(a)
                       .toStdString()
                << '\n';
      return 2;
    }
  }
  return std::nullopt;
}

}  // namespace qvl
