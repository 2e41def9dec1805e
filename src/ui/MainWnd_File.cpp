// The life of the document: new from a template, open, save, save as, the
// caption and the questions that protect unsaved work.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTreeWidgetItem>

#include "model/qvl_document.h"
#include "model/qvl_file.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/QtText.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "ui/about.h"

namespace qvl {
namespace {

// Translated where the dialogs are shown (TMainWnd::tr).
const char* const kFileFilter =
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "パターンファイル (*.pat)|*.pat|すべてのファイル (*.*)|*.*");
const QString kDefaultExtension = QStringLiteral("pat");

}  // namespace

QString TMainWnd::TemplatePath(const QString& application_dir, const QString& relative_name) {
  // The menu's names mix "template\x.pat" and "./template/x.pat"; both mean a
  // file inside the application directory on every platform.
  QString relative = relative_name;
  relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return QDir::toNativeSeparators(
      QDir::cleanPath(QDir(application_dir).absoluteFilePath(relative)));
}

bool TMainWnd::CheckFileExists(const QString& path) {
  if (QFileInfo(path).isFile()) return true;
  m_dialogs.Error(this, tr("「%1」が見つかりません！").arg(path));
  return false;
}

load_failure_handler_t TMainWnd::RetryQuestion(const std::filesystem::path& file_name) {
  return [this, file_name](const std::string& message) {
    return m_dialogs.AskRetry(this, FileMessage(message, file_name)) ? load_answer_t::Retry
                                                                     : load_answer_t::Abort;
  };
}

bool TMainWnd::OpenDocument(const QString& path) {
  if (!CheckFileExists(path)) return false;
  const QString full_name = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  // A failed load leaves the document as it was, so the window, its file
  // name, caption and flags stay as they were too.
  if (!m_session.Load(ToPath(full_name), RetryQuestion(ToPath(full_name)))) return false;
  SelectRoot();
  return true;
}

void TMainWnd::MarkDocumentInUse() {
  m_documentInUse.reset();
  if (!m_session.FileName().empty()) {
    m_documentInUse = std::make_unique<file_in_use_t>(m_session.FileName());
  }
}

void TMainWnd::ShowLoadedDocument() {
  m_documentShown = true;
  UpdateActions(enabled_t::Document);
  SetCaption(FileName());
}

void TMainWnd::SelectRoot() {
  // Once every listener has heard of the new document: selecting is a change
  // of the session of its own.
  m_scenePanel->SelectRoot();
}

void TMainWnd::SetCaption(const QString& suffix) {
  setWindowTitle(suffix.isEmpty() ? ApplicationTitle()
                                  : ApplicationTitle() + QStringLiteral(" - ") + suffix);
}

QString TMainWnd::DocumentDiscardQuestion() const {
  return tr("「%1」の変更を破棄します。よろしいですか？").arg(FileName());
}

bool TMainWnd::ConfirmDiscardDocument() {
  if (!DocumentModified()) return true;
  return m_dialogs.Confirm(this, DocumentDiscardQuestion());
}

bool TMainWnd::ConfirmDiscardAll() {
  // Flags are lowered only where the document is really replaced: a load
  // that then fails keeps the work and keeps asking for it.
  m_editor->CommitOpenCell();
  if (PatternEdited() && !m_dialogs.Confirm(this, m_editor->PatternDiscardQuestion())) {
    return false;
  }
  if (MemoModified() && !m_dialogs.Confirm(this, SceneMemoDiscardQuestion())) return false;
  return ConfirmDiscardDocument();
}

void TMainWnd::NewFromTemplate(const QString& relative_name, const QString& label) {
  if (!ConfirmDiscardAll()) return;
  // A missing or unreadable template changes nothing, the caption included.
  const QString path = TemplatePath(m_applicationDir, relative_name);
  if (!CheckFileExists(path)) return;
  // The session forgets the template's name: the next Save asks for one.
  if (!m_session.NewFromTemplate(ToPath(path), RetryQuestion(ToPath(path)))) return;
  SelectRoot();
  SetCaption(QStringLiteral("*") + label + QStringLiteral("*"));
}

void TMainWnd::Easy2Click() {
  NewFromTemplate(QStringLiteral("template\\qvl_easy.pat"), QStringLiteral("Easy"));
}
void TMainWnd::Normal2Click() {
  NewFromTemplate(QStringLiteral("template\\qvl_normal.pat"), QStringLiteral("Normal"));
}
void TMainWnd::Hard2Click() {
  NewFromTemplate(QStringLiteral("template\\qvl_hard.pat"), QStringLiteral("Hard"));
}
void TMainWnd::Lunatic2Click() {
  NewFromTemplate(QStringLiteral("template\\qvl_lunatic.pat"), QStringLiteral("Lunatic"));
}
void TMainWnd::Extra2Click() {
  NewFromTemplate(QStringLiteral("./template/qvl_extra.pat"), QStringLiteral("Extra"));
}
void TMainWnd::Phantasm1Click() {
  NewFromTemplate(QStringLiteral("./template/qvl_phantasm.pat"), QStringLiteral("Phantasm"));
}

void TMainWnd::Open1Click() {
  if (!ConfirmDiscardAll()) return;
  const std::optional<QString> chosen =
      m_dialogs.OpenFileName(this, {tr(kFileFilter), QString(), m_openDir, QString()});
  if (!chosen) return;
  if (!OpenDocument(*chosen)) return;
  m_openDir = QFileInfo(FileName()).absolutePath();
  AddRecentFile(FileName());
}

bool TMainWnd::SaveTo(const QString& file_name) {
  const save_result_t result = m_session.SaveAs(ToPath(file_name));
  if (!result.ok) {
    // The document keeps its changes, and the file on disk is untouched.
    m_dialogs.Error(
        this, FileMessage(SaveFailureMessage(ToPath(file_name), result.error), ToPath(file_name)));
    return false;
  }
  AddRecentFile(file_name);
  return true;
}

void TMainWnd::Save1Click() {
  m_editor->CommitOpenCell();
  const QString file_name = FileName();
  if (file_name.isEmpty()) {
    SaveAs1Click();
    return;
  }
  if (!m_dialogs.Confirm(
          this, tr("編集中のファイル「%1」を上書きします。よろしいですか？").arg(file_name))) {
    return;
  }
  SaveTo(file_name);
}

void TMainWnd::SaveAs1Click() {
  m_editor->CommitOpenCell();
  const std::optional<QString> chosen =
      m_dialogs.SaveFileName(this, {tr(kFileFilter), kDefaultExtension, m_saveDir, QString()});
  if (!chosen) return;
  const QString full_name = QDir::toNativeSeparators(QFileInfo(*chosen).absoluteFilePath());
  if (!SaveTo(full_name)) return;
  m_saveDir = QFileInfo(full_name).absolutePath();
}

void TMainWnd::Exit1Click() {
  close();
}

void TMainWnd::About1Click() {
  TAboutForm about(this, m_dialogs);
  m_dialogs.ShowModal(about);
}

}  // namespace qvl
