// The one place where the window's Qt strings meet the code page 932 bytes of
// the core: model texts to QString for display, user input back to bytes with
// characters that the files cannot hold refused, and file names to paths.
#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace qvl {

// Code page 932 bytes of the model for display.
[[nodiscard]] QString ToQString(std::string_view cp932);

// User text converted to code page 932, the JIS variants of Linux and macOS
// input methods taken as the code page's own characters (InputToCp932). When
// some characters cannot be stored, `ok` is false, `text` is empty and
// `unconvertible` lists them once each.
struct cp932_text_t {
  bool ok = true;
  std::string text;
  QString unconvertible;
};
[[nodiscard]] cp932_text_t FromQString(const QString& text);

// Memo texts keep Windows line breaks in the model and the files; the text
// boxes work with line feeds alone.
[[nodiscard]] QString MemoToQString(std::string_view cp932);
[[nodiscard]] cp932_text_t MemoFromQString(const QString& text);

// The message that refuses user text with characters a pattern file cannot
// hold, naming each character with its code point.
[[nodiscard]] QString UnconvertibleMessage(const QString& characters);

// File names: the platform's path for a name shown in the window, and back.
[[nodiscard]] std::filesystem::path ToPath(const QString& file_name);
[[nodiscard]] QString FromPath(const std::filesystem::path& path);

// A core message that names a file, for display with the file's name as the
// platform spells it (FileMessageUtf8).
[[nodiscard]] QString FileMessage(std::string_view cp932_message,
                                  const std::filesystem::path& file_name);

}  // namespace qvl
