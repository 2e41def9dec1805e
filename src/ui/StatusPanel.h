// One panel of the status bar: a label that shows its whole text, either by
// growing (a panel of a number) or, where it must take what width is left, by
// showing a shorter form of it or else a visible ellipsis, with the whole text
// as its tool tip.
#pragma once

#include <QLabel>
#include <QStringList>

namespace qvl {

class TStatusPanel : public QLabel {
  Q_OBJECT
 public:
  // designed_width: the narrowest the panel ever is; 0 for a panel that
  // takes the width the others leave and shortens its text to fit.
  explicit TStatusPanel(int designed_width, QWidget* parent = nullptr);

  // The panel's text: a panel of a number grows to show all of it.
  void SetText(const QString& text);
  // A text with shorter forms of it, longest first, the text itself the
  // first: a panel that takes what width is left shows the longest form that
  // fits, and shortens the last one only when none does.
  void SetText(const QStringList& forms);
  // The narrowest width for a panel of a number, at least the designed one.
  void SetLeastWidth(int width);
  // Whether the text is shortened to the panel's width, and how it shows.
  [[nodiscard]] bool Cut() const;
  [[nodiscard]] QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // The room the text has inside the frame, margins and indent.
  [[nodiscard]] QRect TextRect() const;
  void FitWidth();
  void UpdateToolTip();

  // The current text's shorter forms, after the text itself.
  QStringList m_shorter;
  bool m_elides;
  int m_leastWidth;
};

}  // namespace qvl
