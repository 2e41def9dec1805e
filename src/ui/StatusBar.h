// The window's status bar: panel 0 for hints and reports, which takes the
// free width, and panels 1 to 5 with the running totals of the shown node,
// which keep theirs. It shows the session's selection and says what the
// panels count to assistive technology; the hints come from the panels that
// own them.
#pragma once

#include <QStatusBar>
#include <QStringList>

#include <array>

#include "model/qvl_session.h"

namespace qvl {

class TStatusPanel;

class TStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  // Listens to session until it goes.
  explicit TStatusBar(const TDocumentSession& session, QWidget* parent = nullptr);
  ~TStatusBar() override;

  static constexpr int kPanelCount = 6;

  void SetPanel(int index, const QString& text);
  // A text with its shorter forms, longest first: panel 0 shows the longest
  // that fits.
  void SetPanel(int index, const QStringList& forms);
  [[nodiscard]] QString PanelText(int index) const;
  // A window width at which panel 0 shows a spell card's scb hint whole.
  [[nodiscard]] int InitialHintWidth() const;
  // The width the panels need: those of numbers as wide as they grew, and
  // panel 0 room for the figures of the scb hint in its shortest form.
  [[nodiscard]] int NeededWidth() const;

 signals:
  // A panel of a number changed its width: the window keeps them all whole.
  void PanelWidthChanged();

 protected:
  void changeEvent(QEvent* e) override;

 private:
  void SessionChanged(const session_change_t& change);
  void Retranslate();
  // The totals of a single shown node, or what panels 1 to 3 count for a
  // multiple selection, which they do not sum up.
  void ShowSelection();
  void ShowTotals(const scene_base_t& node);
  // The accessible name of panel 1 to 5, announced when it changes.
  void SpeakPanel(int index, const QString& spoken);
  void SpeakSubjects(int last);

  const TDocumentSession& m_session;
  int m_listener = 0;
  std::array<TStatusPanel*, kPanelCount> m_panels{};
};

}  // namespace qvl
