// The status bar's panels: their widths for the font in use, the totals of
// the shown node and what the panels are called for those who do not see them.
#include "ui/StatusBar.h"

#include <QAccessible>
#include <QEvent>

#include <algorithm>
#include <string>

#include "calc/CalcCustom.h"
#include "grid/KwGridAccessible.h"
#include "model/qvl_status.h"
#include "ui/QtText.h"
#include "ui/ShownChange.h"
#include "ui/StatusPanel.h"

namespace qvl {
namespace {

constexpr int kStatusBarHeight = 19;
constexpr std::array<int, TStatusBar::kPanelCount> kPanelWidths{0, 60, 55, 50, 115, 65};
// Each panel has its frame, its margins and the bar's spacing around it.
constexpr int kPanelOverhead = 12;
const std::array<QString, TStatusBar::kPanelCount> kPanelWidest{
    QString(),
    QStringLiteral("☆: 99999"),
    QStringLiteral("G: 99999"),
    QStringLiteral("P: 9999"),
    QStringLiteral("C: 9999999/9999999"),
    QStringLiteral("Spell: 99")};

// The scb hint of a spell card with numbers as long as any of the templates
// carries, in its every form.
QStringList LongestScbHints() {
  scene_t sample;
  sample.kind = scene_kind_t::SpellCard;
  sample.initial_spell_card_bonus = 99999999;
  sample.time_limit = 999;
  sample.decrease_rate = 999999;
  QStringList forms;
  for (const std::string& form : ScbHintForms(&sample)) forms << ToQString(form);
  return forms;
}

}  // namespace

TStatusBar::TStatusBar(const TDocumentSession& session, QWidget* parent)
    : QStatusBar(parent), m_session(session) {
  setObjectName(QStringLiteral("StatusBar"));
  setFixedHeight(kStatusBarHeight);
  setSizeGripEnabled(false);
  const std::array<std::string, 5> initial = InitialStatusPanelTexts();
  for (std::size_t i = 0; i < m_panels.size(); ++i) {
    // Panel 0 takes whatever width the other five leave.
    auto* panel = new TStatusPanel(kPanelWidths[i], this);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    m_panels[i] = panel;
    if (i == 0) {
      addWidget(panel, 1);
    } else {
      // The widths were drawn for "MS UI Gothic"; a wider stand-in font gets
      // the room its usual numbers need, and a longer number more.
      panel->SetLeastWidth(panel->fontMetrics().horizontalAdvance(kPanelWidest[i]) +
                           2 * panel->frameWidth() + 4);
      panel->SetText(ToQString(initial[i - 1]));
      addPermanentWidget(panel);
    }
  }
  Retranslate();
  m_listener = m_session.AddListener(
      [this](const session_change_t& change) { SessionChanged(change); }, listener_rank_t::Window);
}

TStatusBar::~TStatusBar() {
  m_session.RemoveListener(m_listener);
}

void TStatusBar::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) Retranslate();
  QStatusBar::changeEvent(e);
}

void TStatusBar::Retranslate() {
  setAccessibleName(tr("ステータスバー"));
  // Panel 0 is said by its text, the current hint; the others by what they
  // count, until they show a value.
  SpeakSubjects(5);
  // The totals are said in the language's words afresh.
  if (m_session.CurrentNode() != nullptr || !m_session.TopSelection().empty()) ShowSelection();
}

void TStatusBar::SessionChanged(const session_change_t& change) {
  switch (ShownChange(change).what) {
    case shown_change_t::what_t::Document:
      // Their names follow when the selection is shown: a single node's
      // values come at once, and a name changes only once.
      for (int i = 1; i <= 3; ++i) SetPanel(i, QString());
      break;
    case shown_change_t::what_t::Selection:
      for (int i = 1; i <= 3; ++i) SetPanel(i, QString());
      ShowSelection();
      break;
    case shown_change_t::what_t::CurrentChoices:
      // Everything before the shown node counts with its current pattern.
      ShowSelection();
      break;
    case shown_change_t::what_t::Nothing:
    case shown_change_t::what_t::Saved:
    case shown_change_t::what_t::EditedPattern:
    case shown_change_t::what_t::StoredList:
    case shown_change_t::what_t::Memo:
      break;  // no total changes before the shown node
  }
}

void TStatusBar::ShowSelection() {
  if (const scene_base_t* node = m_session.CurrentNode()) {
    ShowTotals(*node);
  } else {
    // Panels 1 to 3 stay empty: only what they count is said.
    SpeakSubjects(3);
  }
}

void TStatusBar::ShowTotals(const scene_base_t& node) {
  const status_panels_t panels = StatusPanels(node);
  for (int i = 1; i <= 5; ++i) {
    const auto at = static_cast<std::size_t>(i - 1);
    SetPanel(i, ToQString(panels.texts[at]));
    SpeakPanel(i, ToQString(panels.spoken[at]));
  }
}

void TStatusBar::SpeakSubjects(int last) {
  const std::array<std::string, 5> subjects = InitialStatusPanelSpoken();
  for (int i = 1; i <= last; ++i) {
    SpeakPanel(i, ToQString(subjects[static_cast<std::size_t>(i - 1)]));
  }
}

void TStatusBar::SpeakPanel(int index, const QString& spoken) {
  TStatusPanel* panel = m_panels.at(static_cast<std::size_t>(index));
  if (panel->accessibleName() == spoken) return;
  // Qt tells an active bridge of the new name, as it does when a label
  // without a name of its own changes its text.
  panel->setAccessibleName(spoken);
  QAccessibleEvent changed(panel, QAccessible::NameChanged);
  NotifyKwGridAccessibleListener(&changed);
}

void TStatusBar::SetPanel(int index, const QStringList& forms) {
  TStatusPanel& panel = *m_panels.at(static_cast<std::size_t>(index));
  const int width = panel.width();
  panel.SetText(forms);
  if (panel.width() != width) emit PanelWidthChanged();
}

void TStatusBar::SetPanel(int index, const QString& text) {
  SetPanel(index, QStringList{text});
}

QString TStatusBar::PanelText(int index) const {
  return m_panels.at(static_cast<std::size_t>(index))->text();
}

int TStatusBar::InitialHintWidth() const {
  int width =
      m_panels[0]->fontMetrics().horizontalAdvance(LongestScbHints().front()) + kPanelOverhead;
  for (std::size_t i = 1; i < m_panels.size(); ++i) {
    width += m_panels[i]->minimumWidth() + kPanelOverhead;
  }
  return width;
}

int TStatusBar::NeededWidth() const {
  // Panels of numbers that grew must not be pushed out of the window, and
  // panel 0 keeps room for the figures of the scb hint in its shortest form.
  int needed = 0;
  for (std::size_t i = 1; i < m_panels.size(); ++i) {
    needed += m_panels[i]->width() + kPanelOverhead;
  }
  const QFontMetrics fm = m_panels[0]->fontMetrics();
  return needed + fm.horizontalAdvance(LongestScbHints().back()) +
         fm.horizontalAdvance(QLatin1Char('x')) + kPanelOverhead;
}

}  // namespace qvl
