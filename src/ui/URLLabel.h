// A text label that shows a web address, colours itself while the pointer is
// over it or pressed on it, and opens the address when pressed.
#pragma once

#include <QColor>
#include <QLabel>

#include <functional>

namespace qvl {

class TURLLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TURLLabel(QWidget* owner = nullptr);

  // Pressing the label opens its caption.
  [[nodiscard]] bool Executable() const { return m_executable; }
  void SetExecutable(bool on) { m_executable = on; }
  // The font colour follows the mouse.
  [[nodiscard]] bool HotTrack() const { return m_hotTrack; }
  void SetHotTrack(bool on);
  [[nodiscard]] QColor HotColor() const { return m_hotColor; }
  void SetHotColor(const QColor& c);
  [[nodiscard]] QColor PushedColor() const { return m_pushedColor; }
  void SetPushedColor(const QColor& c);

  // The label's font colour (the palette's window text).
  [[nodiscard]] QColor FontColor() const;
  void SetFontColor(const QColor& c);

  // How the caption is opened; the owner routes it through its dialogs.
  std::function<void(const QString& url)> Open;

 protected:
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  bool m_executable = false;
  bool m_hotTrack = true;
  QColor m_hotColor{0, 255, 255};
  QColor m_pushedColor{255, 0, 0};
  // The colour the label had when the pointer entered it.
  QColor m_remembered;
};

}  // namespace qvl
