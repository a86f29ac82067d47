#pragma once

#include <QCoreApplication>

#include <benchmark/benchmark.h>

// The main() of a benchmark that needs Qt's application object (SQL plugins, serial ports,
// the event loop).
#define VLR_QT_BENCHMARK_MAIN()                                 \
    int main(int argc, char** argv) {                           \
        QCoreApplication app(argc, argv);                       \
        benchmark::Initialize(&argc, argv);                     \
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) \
            return 1;                                           \
        benchmark::RunSpecifiedBenchmarks();                    \
        benchmark::Shutdown();                                  \
        return 0;                                               \
    }
