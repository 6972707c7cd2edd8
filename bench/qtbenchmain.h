#pragma once
// main() of a benchmark that needs a Qt application object: offscreen unless the caller chose
// a platform.
#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace ofx::bench {

template <class Application>
int runQtBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace ofx::bench
