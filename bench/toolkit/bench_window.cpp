#include "bench_window.h"

#include "platform/system.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace vamu::toolkit::bench {

void openBenchWindow(HostWindow& host, QSize size, const AttachOptions& options) {
    WindowSetup placement;
    placement.left = 10;
    placement.top = 10;
    placement.size = size;
    host.attach(createNativeWindow(placement), options);
    host.show();
    QCoreApplication::processEvents();
}

}  // namespace vamu::toolkit::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    vamu::toolkit::toolkitStartup();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    vamu::platform::shutdown();
    return 0;
}
