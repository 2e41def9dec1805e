// What the program remembers between runs besides the recent files: the main
// window's size and place and the folders of its file dialogs, kept with
// QSettings (on Linux in ~/.config/quovel-pm/quovel-pm.conf), and the
// command-line option that forgets all of it.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

namespace qvl {

// Where a window saved at saved opens now: never smaller than minimum, and
// where it shows too little of its top edge on every screen to be taken hold
// of (its screen is gone, the desktop shrank), moved inside the first screen
// as far as its size allows. screens: the screens' available areas, the
// primary one first.
[[nodiscard]] QRect FitOnScreens(const QRect& saved, const QSize& minimum,
                                 const QList<QRect>& screens);

// The window's normal size and place and whether it was maximized.
void StoreWindowPlace(const QWidget& window);
// Puts a window not yet shown where it was stored, fitted to today's screens;
// nothing when nothing was stored.
void RestoreWindowPlace(QWidget& window);

struct dialog_folders_t {
  QString open;
  QString save;
};
void StoreDialogFolders(const dialog_folders_t& folders);
[[nodiscard]] dialog_folders_t StoredDialogFolders();

// Takes every "--reset-settings" out of arguments; when there was one, forgets
// everything remembered (window, folders, recent files) and returns true.
bool HandleResetSettingsOption(QStringList& arguments);

}  // namespace qvl
