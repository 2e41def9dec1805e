#include "ui/about.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/URLLabel.h"

namespace qvl {
namespace {

// The object name is for tests; assistive technology says the visible text.
template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* owner, TDialogs& dialogs)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(tr("バージョン情報"));
  setFont(UiFont());
  setAttribute(Qt::WA_DeleteOnClose, false);

  m_okButton = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("OKButton"));
  m_appNameLabel = Named(new QLabel(this), QStringLiteral("AppNameLabel"));
  m_creditLabel = Named(new QLabel(CreditText(), this), QStringLiteral("CreditLabel"));
  m_urlLabel = Named(new TURLLabel(this), QStringLiteral("URLLabel"));

  QFont link = UiFont();
  link.setUnderline(true);
  m_urlLabel->setFont(link);
  m_urlLabel->setText(ProjectUrl());
  const QColor hot = palette().color(QPalette::Link);
  m_urlLabel->SetFontColor(hot);
  m_urlLabel->SetExecutable(true);
  m_urlLabel->SetHotColor(hot);
  m_urlLabel->SetPushedColor(palette().color(QPalette::Highlight));
  m_urlLabel->Open = [&dialogs](const QString& url) { dialogs.OpenUrl(url); };

  // The layout of the box in pixels; labels grow to their text where a font
  // of this system is wider than the one the layout was drawn with.
  const auto place = [](QWidget* w, int left, int top, int width, int height) {
    const int needed = w->sizeHint().width();
    w->setGeometry(left, top, std::max(width, needed), std::max(height, w->sizeHint().height()));
  };
  place(m_appNameLabel, 16, 8, 188, 12);
  place(m_creditLabel, 72, 24, 127, 12);
  place(m_urlLabel, 56, 48, 114, 12);
  m_okButton->setGeometry(72, 72, 75, 25);
  int width = 224;
  for (const QWidget* w :
       {static_cast<QWidget*>(m_appNameLabel), static_cast<QWidget*>(m_creditLabel),
        static_cast<QWidget*>(m_urlLabel)}) {
    width = std::max(width, w->geometry().right() + 17);
  }
  setFixedSize(width, 100);

  m_okButton->setDefault(true);
  m_okButton->setFocus();
  setTabOrder(m_okButton, m_urlLabel);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate();
}

void TAboutForm::FormCreate() {
  m_appNameLabel->setText(ApplicationTitle());
}

}  // namespace qvl
