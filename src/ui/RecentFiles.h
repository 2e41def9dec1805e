// The last documents opened or saved, newest first, and the submenu that
// lists them; kept in the program's settings when the window remembers them.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QAction;
class QMenu;

namespace qvl {

class TRecentFiles : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxFiles = 8;

  // Fills menu (owned by the caller) with the list and keeps it filled.
  explicit TRecentFiles(QMenu& menu, QObject* parent = nullptr);

  // From now on the list comes from the settings and every change is written
  // back; before, it lives for this window only.
  void Remember();
  // path moves to the top; the oldest beyond the limit drop out.
  void Add(const QString& path);
  void Remove(const QString& path);
  void Clear();
  // The menu's own item in the current language.
  void Retranslate();
  [[nodiscard]] const QStringList& Files() const { return m_files; }

 signals:
  // An item of the list was chosen.
  void Chosen(const QString& path);

 private:
  void Load();
  void Changed();
  void Rebuild();

  QMenu& m_menu;
  std::vector<QAction*> m_items;  // owned by the menu
  QAction* m_clear = nullptr;     // owned by the menu
  QStringList m_files;
  bool m_remembered = false;
};

}  // namespace qvl
