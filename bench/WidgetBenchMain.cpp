// main() of the window benchmarks: widgets need a QApplication before any benchmark runs,
// offscreen unless QT_QPA_PLATFORM says otherwise, and the heap tuned as the window program
// tunes it.
#include "ui/HeapTuning.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    zel::keepLargeBlocksInHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
