#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

// main() of a benchmark program that needs widgets: a QApplication on the offscreen platform
// around the benchmarks; done is called before the application ends (for fixtures of widgets).
inline int runBenchmarks(int argc, char **argv, void (*done)() = nullptr)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (done)
        done();
    return 0;
}
