// What the program sets up once at start: its title, the look and timing of
// hints, the window fonts with their fallbacks, and the maker's credit and
// web page shown in the about box.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QApplication;
class QTranslator;

namespace qvl {

// "Quovelパターンマネージャ v0.04" in the window's language: task bar,
// captions and the about box.
[[nodiscard]] QString ApplicationTitle();

// Background of hints and how long they stay visible.
inline constexpr QColor kHintColor{245, 240, 255};
inline constexpr int kHintDisplayMs = 180000;

// Background of everything that edits the new pattern: its grid column, title
// box, memo and title edit.
inline constexpr QColor kNewColumnColor{255, 240, 245};

// A difference of the new plan from the old: a gain light blue, a loss light
// red, wherever one is shown.
inline constexpr QColor kGainColor{221, 221, 255};
inline constexpr QColor kLossColor{255, 221, 221};

// The window font ("MS UI Gothic", 12 pixels) and the grid font ("ＭＳ
// ゴシック", 13 pixels). Where those Windows fonts are missing, a Japanese
// font of the system stands in, so Japanese never shows as boxes.
[[nodiscard]] QFont UiFont();
[[nodiscard]] QFont GridFont();

// The credit line and the address of the about box, chosen at build time.
[[nodiscard]] QString CreditText();
[[nodiscard]] QString ProjectUrl();

// Qt's own texts (the buttons of message boxes, the file dialogs) in the
// language of the code ("ja"), whatever the system's language: the
// translation qtbase_CODE from dir, Qt's translation folder when empty, owned
// by the application and not yet installed. Null when it cannot be loaded;
// the program then goes on with Qt's English texts.
[[nodiscard]] QTranslator* LoadQtTranslation(const QString& code, const QString& dir = {});

// The folder whose template/ holds the six templates: the program's own
// folder when they lie beside it (a build tree, a copied folder), else the
// data folder of an installation (bin/../share/quovel-pm) when that has them,
// else the program's folder, so that the not-found message names the place
// a portable copy would use.
[[nodiscard]] QString ApplicationDirFor(const QString& program_dir);

// Program start: title, window icon, hint colour and font, the Japanese
// texts (Language.h), and the calculator's function registry with the built-in functions.
void SetUpApplication(QApplication& app);

}  // namespace qvl
