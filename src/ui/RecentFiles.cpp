#include "ui/RecentFiles.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace qvl {
namespace {

const QString kSettingsKey = QStringLiteral("RecentFiles/files");

// A file name as a menu text: "&" would otherwise become an access key.
QString MenuText(int number, const QString& path) {
  QString name = QFileInfo(path).fileName();
  name.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(number).arg(name);
}

}  // namespace

TRecentFiles::TRecentFiles(QMenu& menu, QObject* parent) : QObject(parent), m_menu(menu) {
  // The items stay for the menu's life and only change their texts: an item
  // chosen may change the list while it is still sending its signal.
  for (int i = 0; i < kMaxFiles; ++i) {
    QAction* item = m_menu.addAction(QString());
    item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
    connect(item, &QAction::triggered, this, [this, i] {
      if (i < m_files.size()) emit Chosen(m_files.at(i));
    });
    m_items.push_back(item);
  }
  m_menu.addSeparator();
  m_clear = m_menu.addAction(QString());
  m_clear->setObjectName(QStringLiteral("ClearRecentFiles"));
  connect(m_clear, &QAction::triggered, this, &TRecentFiles::Clear);
  // Another running copy of the program may have changed the list.
  connect(&m_menu, &QMenu::aboutToShow, this, [this] {
    if (m_remembered) Load();
  });
  Rebuild();
  Retranslate();
}

void TRecentFiles::Retranslate() {
  m_clear->setText(tr("一覧を消去"));
}

void TRecentFiles::Remember() {
  m_remembered = true;
  Load();
}

void TRecentFiles::Add(const QString& path) {
  m_files.removeAll(path);
  m_files.prepend(path);
  while (m_files.size() > kMaxFiles) m_files.removeLast();
  Changed();
}

void TRecentFiles::Remove(const QString& path) {
  m_files.removeAll(path);
  Changed();
}

void TRecentFiles::Clear() {
  m_files.clear();
  Changed();
}

void TRecentFiles::Load() {
  QStringList files = QSettings().value(kSettingsKey).toStringList();
  files.removeAll(QString());
  files.removeDuplicates();
  while (files.size() > kMaxFiles) files.removeLast();
  if (files == m_files) return;
  m_files = files;
  Rebuild();
}

void TRecentFiles::Changed() {
  if (m_remembered) QSettings().setValue(kSettingsKey, m_files);
  Rebuild();
}

void TRecentFiles::Rebuild() {
  for (int i = 0; i < kMaxFiles; ++i) {
    QAction* item = m_items.at(static_cast<std::size_t>(i));
    const bool used = i < m_files.size();
    item->setVisible(used);
    item->setText(used ? MenuText(i + 1, m_files.at(i)) : QString());
    item->setStatusTip(used ? m_files.at(i) : QString());
  }
  m_menu.menuAction()->setEnabled(!m_files.isEmpty());
}

}  // namespace qvl
