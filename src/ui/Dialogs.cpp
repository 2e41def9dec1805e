#include "ui/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

#include <cstdio>

#include "ui/AppInfo.h"

namespace qvl {
namespace {

QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons) {
  return static_cast<QMessageBox::StandardButton>(
      TQtDialogs::MessageBox(parent, icon, text, buttons)->exec());
}

std::optional<QString> RunFileDialog(QWidget* parent, const TDialogs::TFileDialogSpec& spec,
                                     bool save) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(NameFiltersOf(spec.filter));
  if (!spec.default_suffix.isEmpty()) dialog.setDefaultSuffix(spec.default_suffix);
  dialog.setDirectory(spec.directory.isEmpty() ? QDir::currentPath() : spec.directory);
  if (!spec.file_name.isEmpty()) dialog.selectFile(spec.file_name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

QStringList NameFiltersOf(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i < parts.size(); i += 2) filters << parts[i];
  return filters;
}

std::unique_ptr<QMessageBox> TQtDialogs::MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
  return std::make_unique<QMessageBox>(icon, ApplicationTitle(), text, buttons, parent);
}

bool TQtDialogs::Confirm(QWidget* parent, const QString& text) {
  return Ask(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

TDialogs::TAnswer TQtDialogs::ConfirmWithCancel(QWidget* parent, const QString& text) {
  switch (Ask(parent, QMessageBox::Question, text,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return TAnswer::Yes;
    case QMessageBox::No:
      return TAnswer::No;
    default:
      return TAnswer::Cancel;
  }
}

void TQtDialogs::Error(QWidget* parent, const QString& text) {
  Ask(parent, QMessageBox::Critical, text, QMessageBox::Ok);
}

void TQtDialogs::Warning(QWidget* parent, const QString& text) {
  Ask(parent, QMessageBox::Warning, text, QMessageBox::Ok);
}

void TQtDialogs::Information(QWidget* parent, const QString& text) {
  Ask(parent, QMessageBox::Information, text, QMessageBox::Ok);
}

bool TQtDialogs::AskRetry(QWidget* parent, const QString& text) {
  return Ask(parent, QMessageBox::Critical, text, QMessageBox::Retry | QMessageBox::Abort) ==
         QMessageBox::Retry;
}

std::optional<QString> TQtDialogs::InputText(QWidget* parent, const QString& caption,
                                             const QString& prompt) {
  // A label breaks lines at line feeds; a carriage return would show as a box.
  QString shown = prompt;
  shown.remove(QLatin1Char('\r'));
  bool ok = false;
  const QString text =
      QInputDialog::getText(parent, caption, shown, QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return text;
}

std::optional<QString> TQtDialogs::OpenFileName(QWidget* parent, const TFileDialogSpec& spec) {
  return RunFileDialog(parent, spec, false);
}

std::optional<QString> TQtDialogs::SaveFileName(QWidget* parent, const TFileDialogSpec& spec) {
  return RunFileDialog(parent, spec, true);
}

void TQtDialogs::SetClipboardText(const QString& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
}

void TQtDialogs::OpenUrl(const QString& url) {
  QDesktopServices::openUrl(QUrl(url));
}

void TQtDialogs::ShowModal(QDialog& dialog) {
  dialog.exec();
}

void TYesDialogs::Error(QWidget*, const QString& text) {
  std::fprintf(stderr, "error: %s\n", qPrintable(text));
}

}  // namespace qvl
