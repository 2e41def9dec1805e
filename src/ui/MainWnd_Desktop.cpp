// What the window remembers between runs: its size and place, the folders of
// its file dialogs and the recent files.
#include <QFileInfo>

#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/RecentFiles.h"
#include "ui/WindowSettings.h"

namespace qvl {

void TMainWnd::RememberSettings() {
  m_remembers = true;
  RestoreWindowPlace(*this);
  const dialog_folders_t folders = StoredDialogFolders();
  m_openDir = folders.open;
  m_saveDir = folders.save;
  m_recentFiles->Remember();
}

void TMainWnd::StoreSettings() const {
  if (!m_remembers) return;
  StoreWindowPlace(*this);
  StoreDialogFolders({m_openDir, m_saveDir});
}

void TMainWnd::AddRecentFile(const QString& path) {
  m_recentFiles->Add(path);
}

void TMainWnd::OpenRecentFile(const QString& path) {
  // Nothing would be replaced, so nothing is asked before the message.
  if (!QFileInfo(path).isFile()) {
    m_dialogs.Error(
        this, tr("「%1」が見つかりません！\n最近使ったファイルの一覧から削除します。").arg(path));
    m_recentFiles->Remove(path);
    return;
  }
  if (!ConfirmDiscardAll()) return;
  if (OpenDocument(path)) AddRecentFile(FileName());
}

}  // namespace qvl
