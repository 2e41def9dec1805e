// The main of the benchmarks that drive the real window: a QApplication set up
// as the program's own, on the offscreen platform unless another one is asked
// for.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/AppInfo.h"

namespace qvl::bench {

inline int RunWindowBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetUpApplication(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace qvl::bench
