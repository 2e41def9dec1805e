// The about box: the application title, the maker's credit and a link to the
// maker's web page.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qvl {

class TDialogs;
class TURLLabel;

class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  // The link opens through the owner's dialogs.
  TAboutForm(QWidget* owner, TDialogs& dialogs);

  [[nodiscard]] QLabel* AppNameLabel() const { return m_appNameLabel; }
  [[nodiscard]] QLabel* CreditLabel() const { return m_creditLabel; }
  [[nodiscard]] TURLLabel* URLLabel() const { return m_urlLabel; }
  [[nodiscard]] QPushButton* OKButton() const { return m_okButton; }

 private:
  void FormCreate();

  QLabel* m_appNameLabel;
  QLabel* m_creditLabel;
  TURLLabel* m_urlLabel;
  QPushButton* m_okButton;
};

}  // namespace qvl
