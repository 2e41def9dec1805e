#include "ui/URLLabel.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace qvl {

TURLLabel::TURLLabel(QWidget* owner) : QLabel(owner) {
  setCursor(Qt::PointingHandCursor);
  m_remembered = FontColor();
  Open = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
}

QColor TURLLabel::FontColor() const {
  return palette().color(QPalette::WindowText);
}

void TURLLabel::SetFontColor(const QColor& c) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, c);
  setPalette(p);
  update();
}

void TURLLabel::SetHotTrack(bool on) {
  if (on == m_hotTrack) return;
  m_hotTrack = on;
  update();
}

void TURLLabel::SetHotColor(const QColor& c) {
  if (c == m_hotColor) return;
  m_hotColor = c;
  update();
}

void TURLLabel::SetPushedColor(const QColor& c) {
  if (c == m_pushedColor) return;
  m_pushedColor = c;
  update();
}

void TURLLabel::enterEvent(QEnterEvent* e) {
  QLabel::enterEvent(e);
  if (!m_hotTrack) return;
  m_remembered = FontColor();
  SetFontColor(m_hotColor);
}

void TURLLabel::leaveEvent(QEvent* e) {
  QLabel::leaveEvent(e);
  if (m_hotTrack) SetFontColor(m_remembered);
}

void TURLLabel::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  if (m_hotTrack) SetFontColor(m_pushedColor);
  // The link opens on the press, with any button; what the desktop makes of
  // the address is not examined.
  if (m_executable && Open) Open(text());
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* e) {
  QLabel::mouseReleaseEvent(e);
  if (!m_hotTrack) return;
  const bool inside = rect().contains(e->position().toPoint());
  SetFontColor(inside ? m_hotColor : m_remembered);
}

}  // namespace qvl
