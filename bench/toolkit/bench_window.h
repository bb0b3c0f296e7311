#pragma once
// What the toolkit benchmarks share: a host window placed at (10, 10) on the offscreen
// platform. The benchmarks link bench_main.cpp, which starts Qt and the toolkit.

#include "toolkit/host_window.h"

#include <QSize>

namespace vamu::toolkit::bench {

// Attaches `host` to a new native window of `size` at (10, 10) and shows it.
void openBenchWindow(HostWindow& host, QSize size, const AttachOptions& options);

}  // namespace vamu::toolkit::bench
