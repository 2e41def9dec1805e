// The life of the document: new from a template, open, save, save as, the
// caption and the questions that protect unsaved work.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTreeWidgetItem>

#include "model/qvl_document.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/QtText.h"
#include "ui/SceneTreeView.h"
#include "ui/about.h"

namespace qvl {
namespace {

const QString kFileFilter =
    QStringLiteral("パターンファイル (*.pat)|*.pat|すべてのファイル (*.*)|*.*");
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

bool TMainWnd::OpenDocument(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile()) {
    m_dialogs.Error(this, QStringLiteral("「") + path + QStringLiteral("」が見つかりません！"));
    return false;
  }
  const QString full_name = QDir::toNativeSeparators(info.absoluteFilePath());

  const load_failure_handler_t ask = [this](const std::string& message) {
    return m_dialogs.AskRetry(this, ToQString(message)) ? load_answer_t::Retry
                                                        : load_answer_t::Abort;
  };
  // The tree items point into the document: no node may be shown while it is
  // refilled. A failed load leaves the tree as it was, so the window, its file
  // name, caption and flags stay as they were too.
  scene_base_t* const shown = m_currentNode;
  m_currentNode = nullptr;
  if (!LoadDocument(m_document, ToPath(full_name), ask)) {
    m_currentNode = shown;
    return false;
  }

  m_fileName = full_name;
  m_oldValue.reset();
  m_newValue.reset();
  ClearEditor();
  SetRowLabels(nullptr);
  SetEditable(false);
  RebuildSceneView();
  MakeSaveEnable();
  m_copy1->setEnabled(true);
  SetCaption(m_fileName);
  m_documentModified = m_memoModified = m_patternEdited = false;
  m_acceptedNewTitleIndex = 0;
  if (QTreeWidgetItem* top = m_sceneView->topLevelItem(0)) m_sceneView->SelectItem(top);
  m_sceneView->setFocus();
  return true;
}

void TMainWnd::SetCaption(const QString& suffix) {
  setWindowTitle(suffix.isEmpty() ? ApplicationTitle()
                                  : ApplicationTitle() + QStringLiteral(" - ") + suffix);
}

QString TMainWnd::DocumentDiscardQuestion() const {
  return QStringLiteral("「") + m_fileName +
         QStringLiteral("」の変更を破棄します。よろしいですか？");
}

bool TMainWnd::ConfirmDiscardDocument() {
  if (!m_documentModified) return true;
  return m_dialogs.Confirm(this, DocumentDiscardQuestion());
}

bool TMainWnd::ConfirmDiscardAll() {
  // Flags are lowered only where the document is really replaced: a load
  // that then fails keeps the work and keeps asking for it.
  CommitOpenCell();
  if (m_patternEdited && !m_dialogs.Confirm(this, PatternDiscardQuestion())) return false;
  if (m_memoModified && !m_dialogs.Confirm(this, SceneMemoDiscardQuestion())) return false;
  return ConfirmDiscardDocument();
}

void TMainWnd::MakeSaveEnable() {
  m_save1->setEnabled(true);
  m_saveAs1->setEnabled(true);
}

void TMainWnd::NewFromTemplate(const QString& relative_name, const QString& label) {
  if (!ConfirmDiscardAll()) return;
  // A missing or unreadable template changes nothing, the caption included.
  if (!OpenDocument(TemplatePath(m_applicationDir, relative_name))) return;
  SetCaption(QStringLiteral("*") + label + QStringLiteral("*"));
  // The next Save asks for a name: a template is never overwritten.
  m_fileName.clear();
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
      m_dialogs.OpenFileName(this, {kFileFilter, QString(), m_openDir});
  if (!chosen) return;
  if (!OpenDocument(*chosen)) return;
  m_openDir = QFileInfo(m_fileName).absolutePath();
  AddRecentFile(m_fileName);
}

bool TMainWnd::SaveTo(const QString& file_name) {
  const save_result_t result = SaveDocument(m_document, ToPath(file_name));
  if (!result.ok) {
    // The document keeps its changes, and the file on disk is untouched.
    m_dialogs.Error(this, ToQString(SaveFailureMessage(ToPath(file_name), result.error)));
    return false;
  }
  m_documentModified = false;
  AddRecentFile(file_name);
  return true;
}

void TMainWnd::Save1Click() {
  CommitOpenCell();
  if (m_fileName.isEmpty()) {
    SaveAs1Click();
    return;
  }
  if (!m_dialogs.Confirm(this, QStringLiteral("編集中のファイル「") + m_fileName +
                                   QStringLiteral("」を上書きします。よろしいですか？"))) {
    return;
  }
  SaveTo(m_fileName);
}

void TMainWnd::SaveAs1Click() {
  CommitOpenCell();
  const std::optional<QString> chosen =
      m_dialogs.SaveFileName(this, {kFileFilter, kDefaultExtension, m_saveDir});
  if (!chosen) return;
  const QString full_name = QDir::toNativeSeparators(QFileInfo(*chosen).absoluteFilePath());
  if (!SaveTo(full_name)) return;
  m_fileName = full_name;
  m_saveDir = QFileInfo(full_name).absolutePath();
  SetCaption(m_fileName);
}

void TMainWnd::Exit1Click() {
  close();
}

void TMainWnd::About1Click() {
  TAboutForm about(this, m_dialogs);
  m_dialogs.ShowModal(about);
}

}  // namespace qvl
