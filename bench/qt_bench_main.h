#pragma once
// The main of a benchmark program on Qt widgets: an offscreen application unless a platform
// is named, the benchmarks, then `release` frees the widgets the benchmarks kept, while the
// application still exists.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <functional>

inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& release) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    release();
    return 0;
}
