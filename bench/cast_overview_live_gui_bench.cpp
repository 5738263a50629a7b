// The live window's Cast Overview panel on a long cast: one frame appended to a
// cast of 10,000 (and 100,000) frames and the panel drawn again at the size it
// has in a maximised live window at 1366 x 768, as the window does for every
// frame the instrument sends.  The target is under 20 ms a frame.  Also the
// append alone (the in-memory cast) and a whole redraw at the same size.
// Runs on the offscreen platform unless a display is asked for.
#include "app/CastOverviewPanel.h"
#include "plots/CCastOverviewWnd.h"
#include "products/LiveCast.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <clocale>
#include <cmath>

namespace {

using namespace kavro;

// A frame of a plausible cast: a log-normal distribution drifting with the frame,
// transmission and pressure changing slowly.
OutputRecord frameOf(long long i)
{
    OutputRecord r{};
    const double centre = 12.0 + 6.0 * std::sin(static_cast<double>(i) / 700.0);
    for (int k = 0; k < kClasses; ++k) {
        const double d = (k - centre) / 3.0;
        const float v = static_cast<float>(5.0 * std::exp(-d * d));
        r[static_cast<std::size_t>(kRecVolume + k)] = v;
    }
    r[kRecMean] = static_cast<float>(20.0 + 10.0 * std::sin(static_cast<double>(i) / 700.0));
    r[kRecStdDev] = 5.0f;
    r[kRecTransmission] = static_cast<float>(0.7 + 0.2 * std::cos(static_cast<double>(i) / 300.0));
    r[kRecBeamC] = 1.0f;
    r[static_cast<std::size_t>(kRecAux + 4)] = static_cast<float>(i % 5000) * 0.1f;
    return r;
}

CastSource benchSource()
{
    CastSource s;
    s.path = "/data/live.psd";
    const PsdRecordBytes header = encodePsdHeader(0, 2.0, "/cal/zsc.asc");
    s.header = decodePsdHeader(header.data());
    s.pressureLabel = "Pressure";
    s.pressureUnits = "dbar";
    return s;
}

// The panel's size in a maximised live window at 1366 x 768 (the plots keep 532
// pixels of the width).
const QSize kPanelSize(820, 640);

void BM_AppendAndRedraw(benchmark::State& state)
{
    const long long frames = state.range(0);
    CastOverviewPanel panel;
    panel.resize(kPanelSize);
    panel.startLive(benchSource());
    for (long long i = 0; i + 1 < frames; ++i)
        panel.append(frameOf(i), static_cast<int>(i % 100000 + 1));
    QPixmap target(panel.picture()->size());
    long long i = frames - 1;
    for (auto _ : state) {
        panel.append(frameOf(i), static_cast<int>(i % 100000 + 1));
        ++i;
        // The panel as the screen shows it: the picture drawn again with its cursor.
        panel.picture()->render(&target);
        benchmark::DoNotOptimize(target.cacheKey());
    }
    state.counters["columns"] = static_cast<double>(panel.liveCast()->summary().columns.size());
    state.counters["frames"] = static_cast<double>(panel.liveCast()->size());
}
BENCHMARK(BM_AppendAndRedraw)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AppendOnly(benchmark::State& state)
{
    LiveCast cast(benchSource());
    for (long long i = 0; i < state.range(0); ++i)
        cast.append(frameOf(i), static_cast<int>(i % 100000 + 1));
    long long i = state.range(0);
    for (auto _ : state) {
        cast.append(frameOf(i), static_cast<int>(i % 100000 + 1));
        ++i;
    }
}
BENCHMARK(BM_AppendOnly)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
