#include "ui/Platform.h"

#include <QFile>

#include "ui/QtText.h"

namespace qvl {

void ConnectStandardStreams() {
  // A program started from a terminal or a pipe has its streams already.
}

const char* WindowlessPlatform() {
  return "offscreen";
}

// File names are bytes here, in the encoding Qt takes for the system's.
std::filesystem::path ToPath(const QString& file_name) {
  return std::filesystem::path(QFile::encodeName(file_name).toStdString());
}

QString FromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace qvl
