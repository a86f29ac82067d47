#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace vlr::bench {

// What an executable's benchmarks need of Qt: the application object alone (SQL plugins,
// serial ports, the event loop), fonts to lay out and paint text, or widgets.
enum class QtNeeds { Core, Painting, Widgets };

// The body of a benchmark executable's main(): the application object (painting ones on the
// offscreen platform and in Russian settings, as the program's users have them), then prepare,
// whose false ends the run with status 1, then the benchmarks.
inline int runQtBenchmarks(int argc, char** argv, QtNeeds needs,
                           const std::function<bool()>& prepare = {}) {
    std::unique_ptr<QCoreApplication> app;
    if (needs == QtNeeds::Core) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (needs == QtNeeds::Widgets)
            app = std::make_unique<QApplication>(argc, argv);
        else
            app = std::make_unique<QGuiApplication>(argc, argv);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (prepare && !prepare())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace vlr::bench

// The main() of a benchmark that needs only Qt's application object.
#define VLR_QT_BENCHMARK_MAIN()                                                    \
    int main(int argc, char** argv) {                                              \
        return vlr::bench::runQtBenchmarks(argc, argv, vlr::bench::QtNeeds::Core); \
    }
