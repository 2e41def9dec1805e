#include "ui/ScoreChartExport.h"

#include <QApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "model/qvl_chart.h"
#include "model/qvl_document.h"
#include "model/qvl_file.h"
#include "model/qvl_messages.h"
#include "ui/AppInfo.h"
#include "ui/CommandLine.h"
#include "ui/Language.h"
#include "ui/QtText.h"
#include "ui/ScoreChart.h"
#include "ui/ScoreChartView.h"

namespace qvl {
namespace {

const QString kOption = QStringLiteral("--export-chart");
constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;
// The window's first size, and bounds that keep the picture readable and its
// memory reasonable.
constexpr int kDefaultWidth = 900;
constexpr int kDefaultHeight = 520;
constexpr int kMinSide = 200;
constexpr int kMaxSide = 8000;

void Print(const QString& message) {
  std::cerr << "quovel-pm: " << message.toStdString() << '\n';
}

int Usage(const QString& message) {
  Print(message);
  std::cerr << QCoreApplication::translate("TExportChart",
                                           "使い方: quovel-pm --export-chart 計画.pat "
                                           "出力.png|出力.svg [--size 幅x高さ] [--lang %1]")
                   .arg(LanguageCodes())
                   .toStdString()
            << '\n';
  return kExitUsage;
}

// Loads the plan as qvl does. The loader opens the file before it asks what
// it is, so a pipe or a folder put under the name is refused, not waited on.
bool Load(root_t& root, const std::filesystem::path& file) {
  std::string message;
  const bool loaded = LoadDocument(root, file, [&message](const std::string& text) {
    message = text;
    return load_answer_t::Abort;
  });
  if (!loaded) {
    // A file that is gone is nothing the window would ask about; here it is
    // the caller's mistake and must be said.
    if (message.empty()) {
      message = LoadFailureMessage(file, Message(message_t::FileNotFound));
    }
    Print(QString::fromStdString(FileMessageUtf8(message, file)));
    return false;
  }
  // A file of only blanks and comments opens as an empty plan: nothing to draw.
  if (root.ChildCount() == 0) {
    Print(QString::fromStdString(FileMessageUtf8(
        LoadFailureMessage(
            file,
            FromQString(QCoreApplication::translate(
                            "TExportChart", "場面がひとつもありません。描くものがありません。"))
                .text),
        file)));
    return false;
  }
  return true;
}

}  // namespace

bool IsExportChartCommand(int argc, char** argv) {
  return argc > 1 && std::strcmp(argv[1], "--export-chart") == 0;
}

int ExportChart(QStringList arguments) {
  // The picture and the messages speak the language asked for, else the one
  // last chosen in the window's menu, as the window itself would.
  const language_option_t lang = TakeLanguageOption(arguments);
  if (!lang.error.isEmpty()) return Usage(lang.error);
  SetWindowLanguage(lang.language.value_or(StoredLanguage()));
  QStringList files;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == kOption) continue;
    if (a == QStringLiteral("--size")) {
      const QRegularExpressionMatch size =
          QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"))
              .match(i + 1 < arguments.size() ? arguments[i + 1] : QString());
      if (!size.hasMatch())
        return Usage(QCoreApplication::translate(
            "TExportChart", "--size は 幅x高さ で指定します（例: 900x520）。"));
      width = size.captured(1).toInt();
      height = size.captured(2).toInt();
      if (width < kMinSide || height < kMinSide || width > kMaxSide || height > kMaxSide) {
        return Usage(
            QCoreApplication::translate("TExportChart", "--size の幅と高さは %1 から %2 までです。")
                .arg(kMinSide)
                .arg(kMaxSide));
      }
      ++i;
      continue;
    }
    if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      return Usage(
          QCoreApplication::translate("TExportChart", "「%1」は知らないオプションです。").arg(a));
    }
    files << a;
  }
  if (files.size() != 2) {
    return Usage(QCoreApplication::translate(
        "TExportChart", "計画のファイルと出力のファイルを1つずつ指定してください。"));
  }
  const QFileInfo out(files[1]);
  const QString format = out.suffix().toLower();
  if (format != QStringLiteral("png") && format != QStringLiteral("svg")) {
    return Usage(TScoreChartView::NoPictureFormatMessage(out.fileName()));
  }

  // As in qvl: an abandoned temporary file given to draw it must outlive the
  // clean-up of the picture's own save beside it.
  const file_in_use_t input(ToPath(files[0]));
  root_t root;
  if (!Load(root, ToPath(files[0]))) return kExitFile;

  TScoreChartView view;
  // Laid out and painted as on screen, on a screen nobody sees.
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(width, height);
  view.SetData(ScoreChartData(root));
  view.show();
  for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
  const QByteArray bytes = view.Picture(format);

  const std::filesystem::path target = ToPath(out.absoluteFilePath());
  const save_result_t saved =
      WriteFileAtomically(target, std::string_view(bytes.constData(), bytes.size()));
  if (!saved.ok) {
    Print(QString::fromStdString(FileMessageUtf8(SaveFailureMessage(target, saved.error), target)));
    return kExitFile;
  }
  return kExitOk;
}

int RunExportChart(int argc, char** argv) {
  PrepareWindowlessRun();
  QApplication app(argc, argv);
  SetUpApplication(app);
  return ExportChart(QApplication::arguments().mid(1));
}

}  // namespace qvl
