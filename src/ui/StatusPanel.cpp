#include "ui/StatusPanel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace qvl {

TStatusPanel::TStatusPanel(int designed_width, QWidget* parent)
    : QLabel(parent), m_elides(designed_width <= 0), m_leastWidth(designed_width) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setContentsMargins(2, 0, 2, 0);
  if (m_elides) {
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  } else {
    setFixedWidth(m_leastWidth);
  }
}

void TStatusPanel::SetText(const QString& text) {
  SetText(QStringList{text});
}

void TStatusPanel::SetText(const QStringList& forms) {
  m_shorter = forms.mid(1);
  setText(forms.value(0));
  FitWidth();
  UpdateToolTip();
  update();
}

void TStatusPanel::SetLeastWidth(int width) {
  if (m_elides) return;
  m_leastWidth = std::max(m_leastWidth, width);
  FitWidth();
}

void TStatusPanel::FitWidth() {
  if (m_elides) return;
  // QLabel's own hint holds the text's advance, the frame, the margins and
  // the indent a framed label keeps.
  setFixedWidth(std::max(m_leastWidth, sizeHint().width()));
}

QRect TStatusPanel::TextRect() const {
  QRect r = contentsRect();
  // A framed label without an indent of its own keeps half an "x" clear.
  const int left = indent() >= 0 ? indent() : fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
  r.adjust(margin() + left, margin(), -margin(), -margin());
  return r;
}

bool TStatusPanel::Cut() const {
  return m_elides && fontMetrics().horizontalAdvance(text()) > TextRect().width();
}

QString TStatusPanel::ShownText() const {
  if (!Cut()) return text();
  const int room = TextRect().width();
  for (const QString& form : m_shorter) {
    if (fontMetrics().horizontalAdvance(form) <= room) return form;
  }
  return fontMetrics().elidedText(m_shorter.isEmpty() ? text() : m_shorter.back(), Qt::ElideRight,
                                  room);
}

void TStatusPanel::paintEvent(QPaintEvent* e) {
  if (!Cut()) {
    QLabel::paintEvent(e);
    return;
  }
  QPainter p(this);
  drawFrame(&p);
  style()->drawItemText(&p, TextRect(), static_cast<int>(alignment()), palette(), isEnabled(),
                        ShownText(), foregroundRole());
}

void TStatusPanel::resizeEvent(QResizeEvent* e) {
  QLabel::resizeEvent(e);
  UpdateToolTip();
}

void TStatusPanel::UpdateToolTip() {
  // Only a shortened text needs its whole form in a tool tip.
  const QString tip = Cut() ? text() : QString();
  if (toolTip() != tip) setToolTip(tip);
}

}  // namespace qvl
