#pragma once
// What the desktop program's tests share: a data source answering frames from
// memory, a factory that hands it out, dialogs and command hooks that follow a
// script and record what they were asked, and the application built from them.
#include "app/AppDialogs.h"
#include "app/CKavroApp.h"
#include "app/CommandHooks.h"
#include "app/SourceFactory.h"
#include "core/CDataSource.h"
#include "platform/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro {
class CKavroFrame;
class CKavroView;
}

namespace kavro::test {

// One frame of a memory source: what a .psd record holds.
struct MemoryFrame {
    double mean = 0.0;
    double stdDev = 0.0;
    double volume = 0.0;  // every class holds this volume
    double vsf = 0.0;     // every ring holds this log10 value
};

// A frame whose statistics are easy to tell apart: mean 10 + i, std 1 + i/10, ...
MemoryFrame numberedFrame(int i);
std::vector<MemoryFrame> numberedFrames(int count);

// How the next source the factory makes behaves.
struct SourceSetup {
    int kind = kKindPsdFile;
    std::string name = "/data/cast07.psd";
    std::vector<MemoryFrame> frames = numberedFrames(5);
    enum class OpenResult { Ok, UserAbort, Failure } open = OpenResult::Ok;
    int modelFromFile = -1;  // a .psd header's model, given to the owner at open
    std::function<void()> duringNext;  // runs inside every next-frame step
};

// Counts kept beyond the source's life.
struct SourceLog {
    int opened = 0;
    int closed = 0;
    int destroyed = 0;
};

// Navigates like a .psd replay: every move reads the frame it lands on; next at the
// last frame stays there and answers 0 (for the instrument: no frame in time).
class MemorySource : public CDataSource {
public:
    MemorySource(SourceContext context, SourceOwner* owner, SourceSetup setup, std::shared_ptr<SourceLog> log);
    ~MemorySource() override;

    void open() override;
    int readNextFrame() override;
    void close() override;
    int previousFrame() override;
    int nextFrame() override;
    int rewind() override;
    int lastFrame() override;
    int goToFrame(int n) override;
    double rawValue(int) const override { return -1.0; }
    double beamAttenuation() const override { return frameResult_->beamAttenuation(); }

private:
    int readAt(int index);
    SourceSetup setup_;
    std::shared_ptr<SourceLog> log_;
};

class MemorySourceFactory : public SourceFactory {
public:
    std::unique_ptr<CDataSource> create(int kind, SourceContext context, SourceOwner* owner) override;
    SourceSetup next;                         // the next source made
    std::vector<int> kindsAsked;             // every kind asked for
    std::shared_ptr<SourceLog> lastLog;      // the log of the last source made
    bool noSource = false;                   // answer no source at all
};

class ScriptedDialogs : public AppDialogs {
public:
    std::optional<InstrumentChoice> askInstrumentPort(int port, int model, const PortDevices& devices) override;
    std::optional<int> askInstrumentModel(int model) override;
    std::optional<int> askFrameNumber(int lastFrame, int current) override;
    bool askPrint(QPrinter& printer) override;
    void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& render) override;
    void askPageSetup(QPrinter& printer) override;
    void showAbout() override { ++aboutShown; }
    std::optional<bool> askRecording(const std::string& proposedPath) override;
    std::optional<ExistingCast> askExistingCast(const std::string& path, const std::string& freeName) override;

    // Answers, first in first out; an empty answer is Cancel.
    std::deque<std::optional<InstrumentChoice>> portAnswers;
    std::deque<std::optional<int>> modelAnswers;
    std::deque<std::optional<int>> frameAnswers;
    // Record (true), go on without (false), Cancel (empty); none queued: go on without.
    std::deque<std::optional<bool>> recordAnswers;
    std::vector<std::string> recordingAsked;  // the proposed paths
    // The answers about a live cast that exists (none queued: Cancel), and what was asked.
    std::deque<std::optional<ExistingCast>> existingCastAnswers;
    std::vector<std::pair<std::string, std::string>> existingCastAsked;  // path, free name
    bool printAccepted = true;
    // What the dialogs were opened with.
    std::vector<std::pair<int, int>> portAsked;  // preselected port, model
    std::vector<PortDevices> portDevicesAsked;
    std::vector<int> modelAsked;
    std::vector<int> frameRangeAsked;  // the last frame Go To was opened with
    std::vector<int> frameOpenedAt;    // the frame its box started at
    int previewsShown = 0;
    int pageSetups = 0;
    int aboutShown = 0;
};

// Records the hooks the program called, as "name" or "name:detail".
class RecordingHooks : public CommandHooks {
public:
    void buildBackgroundScatterFile(CMainFrame&, CKavroView*) override { calls.push_back("buildBackground"); }
    void editCalibrationParameters(CMainFrame&, CKavroView*) override { calls.push_back("editCalibration"); }
    void outputOptions(CMainFrame&) override { calls.push_back("output"); }
    void locations(CMainFrame&) override { calls.push_back("locations"); }
    void showBuffer(CKavroView&) override { calls.push_back("showBuffer"); }
    void sendCommand(CKavroView&) override { calls.push_back("sendCommand"); }
    void accumulateAndAverage(CKavroView&) override { calls.push_back("accumulate"); }
    void viewRings(CKavroView&) override;
    void showAuxiliaryParameterFrame(CKavroView&) override { calls.push_back("auxFrame"); }
    void auxiliaryParameterDisplay(CKavroView&) override { calls.push_back("auxDisplay"); }
    void sizeDistributionDisplay(CKavroView&) override { calls.push_back("sizeDisplay"); }
    void buildRawFileLayout(CKavroView&) override { calls.push_back("rawLayout"); }
    void rawFilePage(CKavroView&, int id) override { calls.push_back("rawPage:" + std::to_string(id)); }
    void graphFrameReported(CKavroView&, int frame) override { calls.push_back("graphFrame:" + std::to_string(frame)); }
    void frameChanged(CKavroView&) override { ++framesChanged; }
    std::vector<std::string> calls;
    int framesChanged = 0;
    bool ringsThrow = false;  // the rings window fails to open
};

// The application with scripted services, started (its main frame shown).
class AppFixture : public ::testing::Test {
protected:
    AppFixture();
    // The application with other sources than memory ones (the program's own), and
    // with (some of) the program's own windows when hooks are given; hooks records
    // every call beside them all the same.
    explicit AppFixture(std::unique_ptr<SourceFactory> sources, std::unique_ptr<CommandHooks> programHooks = nullptr);
    ~AppFixture() override;

    // Opens a source of the kind as the open command does: the answer to the port
    // or model dialog must be queued first.  The new child frame, or null.
    CKavroFrame* open(int kind, SourceSetup setup);
    // The .psd and raw data file opens with the dialogs answered.
    CKavroFrame* openPsd(std::vector<MemoryFrame> frames = numberedFrames(5), std::string name = "/data/cast07.psd");
    CKavroFrame* openInstrument(std::vector<MemoryFrame> frames = numberedFrames(3));
    CKavroFrame* openRaw();

    TempDir dir;
    ScriptedPrompter* prompter;
    ScriptedDialogs* dialogs;
    MemorySourceFactory* factory = nullptr;  // null with the program's own sources
    RecordingHooks* hooks = nullptr;
    std::vector<std::string> documentsShown;  // what the desktop's viewer was asked to show
    std::unique_ptr<CKavroApp> app;
};

}  // namespace kavro::test
