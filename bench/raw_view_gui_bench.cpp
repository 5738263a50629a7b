// The desktop program on a 1,000,000-frame raw recording: from the open command to
// a drawn window (pre-scan, ring image of 1024 peeked frames, graph, labels), one
// page of the auxiliary graph drawn, and Process File over 100,000 frames with its
// progress.  Runs on the offscreen platform unless a display is asked for.
#include "app/CKavroApp.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/ProgramHooks.h"
#include "app/RawFileView.h"
#include "app/CFrameSelectBar.h"
#include "bench/BenchRecording.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <clocale>

namespace {

using namespace kavro;

bench::BenchFolder& folder()
{
    static bench::BenchFolder f;
    return f;
}

// The model dialog answered with model 0; nothing else is asked.
struct BenchDialogs : AppDialogs {
    std::optional<InstrumentChoice> askInstrumentPort(int, int, const PortDevices&) override { return std::nullopt; }
    std::optional<int> askInstrumentModel(int) override { return 0; }
    std::optional<int> askFrameNumber(int, int) override { return std::nullopt; }
    bool askPrint(QPrinter&) override { return false; }
    void showPrintPreview(QPrinter&, const std::function<void(QPrinter&)>&) override {}
    void askPageSetup(QPrinter&) override {}
    void showAbout() override {}
    std::optional<bool> askRecording(const std::string&) override { return false; }
    std::optional<ExistingCast> askExistingCast(const std::string&, const std::string&) override { return std::nullopt; }
};

struct BenchApp {
    ScriptedPrompter* prompter;
    std::unique_ptr<CKavroApp> app;
    BenchApp()
    {
        AppServices s;
        s.profile = std::make_unique<Profile>(folder().dir + "/kavro.INI");
        auto p = std::make_unique<ScriptedPrompter>();
        prompter = p.get();
        s.prompter = std::move(p);
        s.dialogs = std::make_unique<BenchDialogs>();
        s.hooks = makeProgramHooks();
        s.executableDirectory = folder().dir;
        app = std::make_unique<CKavroApp>(std::move(s));
        app->initInstance();
        app->settings().calFiles = folder().dir;
    }
    // The open command as the user gives it, through to the drawn window.
    CKavroFrame* open()
    {
        prompter->choose(folder().dir + "/bench.raw")
            .choose(folder().dir + "/RingArea_a.asc")
            .choose(folder().dir + "/zsc.asc")
            .choose(folder().dir + "/bench.psd");
        app->mainFrame()->onCommand(cmd::OpenRawFile);
        CKavroFrame* frame = app->mainFrame()->activeFrame();
        frame->repaint();
        QApplication::processEvents();
        return frame;
    }
    void close(CKavroFrame* frame)
    {
        delete frame;
        QApplication::processEvents();
    }
};

BenchApp& benchApp()
{
    static BenchApp a;
    return a;
}

void BM_OpenRawView(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        CKavroFrame* frame = benchApp().open();
        state.PauseTiming();
        benchApp().close(frame);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenRawView)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_PageAndDraw(benchmark::State& state)
{
    CKavroFrame* frame = benchApp().open();
    RawFileView* raw = RawFileView::of(*frame->view());
    int page = 0;
    for (auto _ : state) {
        raw->page(++page % 100 == 0 ? cmd::GoToFirst : cmd::GoToNext);
        frame->repaint();
    }
    benchApp().close(frame);
}
BENCHMARK(BM_PageAndDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessFile(benchmark::State& state)
{
    const int frames = 100000;
    for (auto _ : state) {
        state.PauseTiming();
        CKavroFrame* frame = benchApp().open();
        RawFileView* raw = RawFileView::of(*frame->view());
        raw->bar()->edit(CFrameSelectBar::kLastEdit)->setText(QString::number(frames - 1));
        state.ResumeTiming();
        raw->processFile();
        state.PauseTiming();
        benchApp().close(frame);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_ProcessFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
