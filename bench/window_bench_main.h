// The main of the benchmarks that drive the real window: a QApplication set up
// as the program's own, on the offscreen platform unless another one is asked
// for.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

#include "ui/AppInfo.h"

namespace qvl::bench {

// What must go before the QApplication does, last made first gone.
inline std::vector<std::function<void()>>& WindowTeardowns() {
  static std::vector<std::function<void()>> teardowns;
  return teardowns;
}

// The one fixture of type T, made on first use. A function-local static would
// die after main returns, after the QApplication, and a window destroyed
// without its application crashes at exit; this one is freed by
// RunWindowBenchmarks while the application still lives.
template <typename T>
T& WindowFixture() {
  static std::unique_ptr<T> fixture;
  if (!fixture) {
    fixture = std::make_unique<T>();
    WindowTeardowns().emplace_back([] { fixture.reset(); });
  }
  return *fixture;
}

inline int RunWindowBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetUpApplication(app);
  // Settings of their own: the documents the benchmarks open must not join
  // the user's recent files, nor the user's window sizes change the figures.
  QTemporaryDir settings;
  if (!settings.isValid()) return 1;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto& teardowns = WindowTeardowns();
  while (!teardowns.empty()) {
    teardowns.back()();
    teardowns.pop_back();
  }
  return 0;
}

}  // namespace qvl::bench
