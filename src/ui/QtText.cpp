#include "ui/QtText.h"

#include <QCoreApplication>

#include "model/qvl_document.h"
#include "model/qvl_text.h"

namespace qvl {

QString ToQString(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

cp932_text_t FromQString(const QString& text) {
  cp932_input_t in = InputToCp932(text.toStdString());
  if (!in.unconvertible.empty()) return {false, {}, QString::fromStdString(in.unconvertible)};
  return {true, std::move(in.text), {}};
}

QString MemoToQString(std::string_view cp932) {
  QString s = ToQString(cp932);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

cp932_text_t MemoFromQString(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQString(s);
}

QString UnconvertibleMessage(const QString& characters) {
  QStringList names;
  for (const uint c : characters.toUcs4()) {
    const char32_t ch = c;
    names << QCoreApplication::translate("qvl::QtText", "「%1」(U+%2)")
                 .arg(QString::fromUcs4(&ch, 1),
                      QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
  }
  return QCoreApplication::translate("qvl::QtText",
                                     "次の文字はパターンファイル（Shift_JIS）に保存できません。\n"
                                     "%1\n別の文字に書き換えてからやり直してください。")
      .arg(names.join(QCoreApplication::translate("qvl::QtText", "、")));
}

QString FileMessage(std::string_view cp932_message, const std::filesystem::path& file_name) {
  return QString::fromStdString(FileMessageUtf8(cp932_message, file_name));
}

}  // namespace qvl
