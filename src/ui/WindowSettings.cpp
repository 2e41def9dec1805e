#include "ui/WindowSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace qvl {
namespace {

// The part of the window's top edge that must lie on a screen for the user
// to reach it and drag the window.
constexpr int kGripWidth = 100;
constexpr int kGripHeight = 20;
// A settings file may hold anything; coordinates beyond these are no place
// on any desktop and would overflow QRect's arithmetic.
constexpr int kFarthest = 1000000;

const QString kX = QStringLiteral("MainWindow/x");
const QString kY = QStringLiteral("MainWindow/y");
const QString kWidth = QStringLiteral("MainWindow/width");
const QString kHeight = QStringLiteral("MainWindow/height");
const QString kMaximized = QStringLiteral("MainWindow/maximized");
const QString kOpenFolder = QStringLiteral("Dialogs/openFolder");
const QString kSaveFolder = QStringLiteral("Dialogs/saveFolder");
const QString kResetOption = QStringLiteral("--reset-settings");

bool ReadInt(const QSettings& settings, const QString& key, int low, int high, int& out) {
  bool ok = false;
  const int value = settings.value(key).toInt(&ok);
  if (!ok || value < low || value > high) return false;
  out = value;
  return true;
}

}  // namespace

QRect FitOnScreens(const QRect& saved, const QSize& minimum, const QList<QRect>& screens) {
  QRect rect(saved.topLeft(), saved.size().expandedTo(minimum));
  if (screens.isEmpty()) return rect;
  const QRect grip(rect.left(), rect.top(), rect.width(), kGripHeight);
  for (const QRect& screen : screens) {
    const QRect seen = screen.intersected(grip);
    if (seen.width() >= kGripWidth && seen.height() >= kGripHeight) return rect;
  }
  // Left and top edges win where the window is larger than the screen.
  const QRect& home = screens.first();
  rect.moveLeft(std::max(home.left(), std::min(rect.left(), home.right() + 1 - rect.width())));
  rect.moveTop(std::max(home.top(), std::min(rect.top(), home.bottom() + 1 - rect.height())));
  return rect;
}

void StoreWindowPlace(const QWidget& window) {
  const QRect normal = window.isMaximized() ? window.normalGeometry() : window.geometry();
  QSettings settings;
  settings.setValue(kX, normal.x());
  settings.setValue(kY, normal.y());
  settings.setValue(kWidth, normal.width());
  settings.setValue(kHeight, normal.height());
  settings.setValue(kMaximized, window.isMaximized());
}

void RestoreWindowPlace(QWidget& window) {
  const QSettings settings;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  if (!ReadInt(settings, kX, -kFarthest, kFarthest, x) ||
      !ReadInt(settings, kY, -kFarthest, kFarthest, y) ||
      !ReadInt(settings, kWidth, 0, kFarthest, width) ||
      !ReadInt(settings, kHeight, 0, kFarthest, height)) {
    return;
  }
  QList<QRect> screens;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) screens << primary->availableGeometry();
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) screens << screen->availableGeometry();
  }
  window.setGeometry(FitOnScreens(QRect(x, y, width, height), window.minimumSize(), screens));
  if (settings.value(kMaximized).toBool()) {
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
  }
}

void StoreDialogFolders(const dialog_folders_t& folders) {
  QSettings settings;
  settings.setValue(kOpenFolder, folders.open);
  settings.setValue(kSaveFolder, folders.save);
}

dialog_folders_t StoredDialogFolders() {
  const QSettings settings;
  return {settings.value(kOpenFolder).toString(), settings.value(kSaveFolder).toString()};
}

bool HandleResetSettingsOption(QStringList& arguments) {
  if (arguments.removeAll(kResetOption) == 0) return false;
  QSettings().clear();
  return true;
}

}  // namespace qvl
