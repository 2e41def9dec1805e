// Every question, message, input box, file dialog, clipboard access, URL
// opening and modal dialog of the window goes through TDialogs, so that the
// program uses Qt's dialogs and the tests a scripted stand-in.
#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>
#include <optional>

class QDialog;
class QWidget;

namespace qvl {

class TDialogs {
 public:
  enum class TAnswer { Yes, No, Cancel };

  // A file dialog as the window sets it up. The filter is written in the
  // "description|patterns|description|patterns" form.
  struct TFileDialogSpec {
    QString filter;
    QString default_suffix;  // empty: none (open dialog)
    QString directory;       // empty: the process's current directory
    QString file_name;       // offered in the directory (save dialog); empty: none
  };

  TDialogs() = default;
  TDialogs(const TDialogs&) = delete;
  TDialogs& operator=(const TDialogs&) = delete;
  virtual ~TDialogs() = default;

  // A confirmation with Yes and No; true for Yes.
  virtual bool Confirm(QWidget* parent, const QString& text) = 0;
  // A confirmation with Yes, No and Cancel.
  virtual TAnswer ConfirmWithCancel(QWidget* parent, const QString& text) = 0;
  virtual void Error(QWidget* parent, const QString& text) = 0;
  virtual void Warning(QWidget* parent, const QString& text) = 0;
  virtual void Information(QWidget* parent, const QString& text) = 0;
  // An error with Retry and Abort; true for Retry.
  virtual bool AskRetry(QWidget* parent, const QString& text) = 0;
  // A text input box starting empty; nothing when cancelled.
  virtual std::optional<QString> InputText(QWidget* parent, const QString& caption,
                                           const QString& prompt) = 0;
  // The chosen file, or nothing when cancelled. The save dialog supplies the
  // default suffix and asks before an existing file is replaced.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const TFileDialogSpec& spec) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const TFileDialogSpec& spec) = 0;
  virtual void SetClipboardText(const QString& text) = 0;
  // Hands a web address to the desktop; failures are not reported.
  virtual void OpenUrl(const QString& url) = 0;
  // Runs a dialog modally until it closes.
  virtual void ShowModal(QDialog& dialog) = 0;
};

// The dialogs of the running program.
class TQtDialogs final : public TDialogs {
 public:
  // The message box a question or message shows, before it runs.
  [[nodiscard]] static std::unique_ptr<QMessageBox> MessageBox(
      QWidget* parent, QMessageBox::Icon icon, const QString& text,
      QMessageBox::StandardButtons buttons);

  bool Confirm(QWidget* parent, const QString& text) override;
  TAnswer ConfirmWithCancel(QWidget* parent, const QString& text) override;
  void Error(QWidget* parent, const QString& text) override;
  void Warning(QWidget* parent, const QString& text) override;
  void Information(QWidget* parent, const QString& text) override;
  bool AskRetry(QWidget* parent, const QString& text) override;
  std::optional<QString> InputText(QWidget* parent, const QString& caption,
                                   const QString& prompt) override;
  std::optional<QString> OpenFileName(QWidget* parent, const TFileDialogSpec& spec) override;
  std::optional<QString> SaveFileName(QWidget* parent, const TFileDialogSpec& spec) override;
  void SetClipboardText(const QString& text) override;
  void OpenUrl(const QString& url) override;
  void ShowModal(QDialog& dialog) override;
};

// Dialogs for unattended runs (benchmarks, the screenshot tour): every
// question is answered Yes, errors go to standard error, nothing is shown.
class TYesDialogs final : public TDialogs {
 public:
  bool Confirm(QWidget*, const QString&) override { return true; }
  TAnswer ConfirmWithCancel(QWidget*, const QString&) override { return TAnswer::Yes; }
  void Error(QWidget* parent, const QString& text) override;
  void Warning(QWidget*, const QString&) override {}
  void Information(QWidget*, const QString&) override {}
  bool AskRetry(QWidget*, const QString&) override { return false; }
  std::optional<QString> InputText(QWidget*, const QString&, const QString&) override {
    return std::nullopt;
  }
  std::optional<QString> OpenFileName(QWidget*, const TFileDialogSpec&) override {
    return std::nullopt;
  }
  std::optional<QString> SaveFileName(QWidget*, const TFileDialogSpec&) override {
    return std::nullopt;
  }
  void SetClipboardText(const QString&) override {}
  void OpenUrl(const QString&) override {}
  void ShowModal(QDialog&) override {}
};

// "a|b|c|d" to Qt's name filters {"a", "c"}; the patterns stand inside the
// descriptions' parentheses, where Qt reads them.
[[nodiscard]] QStringList NameFiltersOf(const QString& filter);

}  // namespace qvl
