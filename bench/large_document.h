// The large document of the window benchmarks, saved where the window can open
// it: the Lunatic template's stages twenty times over, every scene filled.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "large_document_core.h"
#include "model/qvl_document.h"
#include "ui/QtText.h"

namespace qvl::bench {

inline constexpr int kCopies = 20;

// The Lunatic template's stages twenty times over, saved as one file.
inline QString WriteLargeDocument(const QString& dir) {
  const QString source = QCoreApplication::applicationDirPath() + "/template/qvl_lunatic.pat";
  score_t scenes = 0;
  const std::unique_ptr<root_t> big = MakeLargeDocument(ToPath(source), kCopies, &scenes);
  const QString path = QDir(dir).filePath("large.pat");
  if (!SaveDocument(*big, ToPath(path)).ok) std::exit(1);
  std::fprintf(stderr, "document: %d stages, %lld scenes, %lld bytes\n", big->ChildCount(),
               static_cast<long long>(scenes), static_cast<long long>(QFileInfo(path).size()));
  return path;
}

}  // namespace qvl::bench
