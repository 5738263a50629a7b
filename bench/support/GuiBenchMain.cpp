// The main of the desktop program's benchmarks: a QApplication (offscreen unless a
// platform is set) and numbers in the C locale, then every benchmark of the program.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qapp(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
