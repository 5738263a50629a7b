#include "tests/app/AppTestSupport.h"

#include "app/CKavroFrame.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/ProgramHooks.h"
#include "core/Constants.h"

#include <algorithm>

namespace kavro::test {

MemoryFrame numberedFrame(int i)
{
    return MemoryFrame{10.0 + i, 1.0 + i / 10.0, 0.5 + i, -1.0 + i / 10.0};
}

std::vector<MemoryFrame> numberedFrames(int count)
{
    std::vector<MemoryFrame> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(numberedFrame(i));
    return frames;
}

MemorySource::MemorySource(SourceContext context, SourceOwner* owner, SourceSetup setup,
                           std::shared_ptr<SourceLog> log)
    : CDataSource(context, owner), setup_(std::move(setup)), log_(std::move(log))
{
    sourceKind_ = setup_.kind;
    recordCount_ = static_cast<int>(setup_.frames.size());
    for (int k = 0; k < kClasses; ++k)
        frameResult_->setDiameter(k, 1.0 + k);
}

MemorySource::~MemorySource()
{
    ++log_->destroyed;
}

void MemorySource::open()
{
    ++log_->opened;
    if (setup_.open == SourceSetup::OpenResult::UserAbort)
        throw UserAbort{};
    if (setup_.open == SourceSetup::OpenResult::Failure)
        throw std::runtime_error("the file went away");
    sourceName_ = setup_.name;
    if (setup_.modelFromFile >= 0)
        owner_->setInstrumentModel(setup_.modelFromFile);
}

int MemorySource::readNextFrame()
{
    return readAt(currentFrame_);
}

int MemorySource::readAt(int index)
{
    if (index < 0 || index >= recordCount_)
        return 0;
    const MemoryFrame& f = setup_.frames[static_cast<std::size_t>(index)];
    for (int k = 0; k < kClasses; ++k)
        frameResult_->setVolume(k, f.volume);
    for (int i = 0; i < kRings; ++i)
        frameResult_->setVsf(i, f.vsf);
    frameResult_->setMean(f.mean);
    frameResult_->setStdDev(f.stdDev);
    frameResult_->setBeamAttenuation(0.25 * index);
    return 1;
}

void MemorySource::close()
{
    ++log_->closed;
}

int MemorySource::previousFrame()
{
    currentFrame_ = std::max(currentFrame_ - 1, 0);
    return readNextFrame();
}

int MemorySource::nextFrame()
{
    if (setup_.duringNext)
        setup_.duringNext();
    if (currentFrame_ + 1 > recordCount_ - 1) {
        currentFrame_ = std::max(recordCount_ - 1, 0);
        return 0;
    }
    ++currentFrame_;
    return readNextFrame();
}

int MemorySource::rewind()
{
    currentFrame_ = 0;
    return readNextFrame();
}

int MemorySource::lastFrame()
{
    currentFrame_ = std::max(recordCount_ - 1, 0);
    return readNextFrame();
}

int MemorySource::goToFrame(int n)
{
    currentFrame_ = std::clamp(n, 0, std::max(recordCount_ - 1, 0));
    return readNextFrame();
}

std::unique_ptr<CDataSource> MemorySourceFactory::create(int kind, SourceContext context, SourceOwner* owner)
{
    kindsAsked.push_back(kind);
    if (noSource)
        return nullptr;
    SourceSetup setup = next;
    setup.kind = kind;
    lastLog = std::make_shared<SourceLog>();
    return std::make_unique<MemorySource>(context, owner, setup, lastLog);
}

std::optional<InstrumentChoice> ScriptedDialogs::askInstrumentPort(int port, int model, const PortDevices& devices)
{
    portAsked.emplace_back(port, model);
    portDevicesAsked.push_back(devices);
    if (portAnswers.empty())
        throw std::logic_error("unexpected Instrument Port dialog");
    auto answer = portAnswers.front();
    portAnswers.pop_front();
    return answer;
}

std::optional<int> ScriptedDialogs::askInstrumentModel(int model)
{
    modelAsked.push_back(model);
    if (modelAnswers.empty())
        throw std::logic_error("unexpected Instrument Model dialog");
    auto answer = modelAnswers.front();
    modelAnswers.pop_front();
    return answer;
}

std::optional<int> ScriptedDialogs::askFrameNumber(int lastFrame, int current)
{
    frameRangeAsked.push_back(lastFrame);
    frameOpenedAt.push_back(current);
    if (frameAnswers.empty())
        throw std::logic_error("unexpected Go To dialog");
    auto answer = frameAnswers.front();
    frameAnswers.pop_front();
    return answer;
}

std::optional<bool> ScriptedDialogs::askRecording(const std::string& proposedPath)
{
    recordingAsked.push_back(proposedPath);
    if (recordAnswers.empty())
        return false;
    auto answer = recordAnswers.front();
    recordAnswers.pop_front();
    return answer;
}

std::optional<ExistingCast> ScriptedDialogs::askExistingCast(const std::string& path, const std::string& freeName)
{
    existingCastAsked.emplace_back(path, freeName);
    if (existingCastAnswers.empty())
        return std::nullopt;
    auto answer = existingCastAnswers.front();
    existingCastAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::askPrint(QPrinter&)
{
    return printAccepted;
}

void ScriptedDialogs::showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& render)
{
    ++previewsShown;
    render(printer);
}

void ScriptedDialogs::askPageSetup(QPrinter&)
{
    ++pageSetups;
}

void RecordingHooks::viewRings(CKavroView&)
{
    calls.push_back("viewRings");
    if (ringsThrow)
        throw std::runtime_error("no rings window");
}

AppFixture::AppFixture() : AppFixture(std::make_unique<MemorySourceFactory>()) {}

AppFixture::AppFixture(std::unique_ptr<SourceFactory> sources, std::unique_ptr<CommandHooks> programHooks)
{
    AppServices s;
    s.profile = std::make_unique<Profile>(dir.file("kavro.INI"));
    auto p = std::make_unique<ScriptedPrompter>();
    prompter = p.get();
    s.prompter = std::move(p);
    auto d = std::make_unique<ScriptedDialogs>();
    dialogs = d.get();
    s.dialogs = std::move(d);
    factory = dynamic_cast<MemorySourceFactory*>(sources.get());
    s.sources = std::move(sources);
    auto h = std::make_unique<RecordingHooks>();
    hooks = h.get();
    if (programHooks) {
        // The program's windows at work, every call recorded beside them.
        auto all = std::make_unique<ProgramHooks>();
        all->add(std::move(h));
        all->add(std::move(programHooks));
        s.hooks = std::move(all);
    } else {
        s.hooks = std::move(h);
    }
    s.executableDirectory = dir.path();
    s.showDocument = [this](const std::string& path) {
        documentsShown.push_back(path);
        return true;
    };
    app = std::make_unique<CKavroApp>(std::move(s));
    app->initInstance();
    // Recordings are proposed in the test's folder, never the user's documents.
    app->settings().dataFiles = dir.path();
}

AppFixture::~AppFixture() = default;

CKavroFrame* AppFixture::open(int kind, SourceSetup setup)
{
    if (factory)
        factory->next = std::move(setup);
    std::size_t before = app->mainFrame()->frames().size();
    int command = kind == kKindInstrument ? cmd::OpenInstrument : kind == kKindRawFile ? cmd::OpenRawFile : cmd::OpenPsdFile;
    app->mainFrame()->onCommand(command);
    if (static_cast<std::size_t>(app->mainFrame()->frames().size()) == before)
        return nullptr;
    return app->mainFrame()->activeFrame();
}

CKavroFrame* AppFixture::openPsd(std::vector<MemoryFrame> frames, std::string name)
{
    SourceSetup setup;
    setup.frames = std::move(frames);
    setup.name = std::move(name);
    return open(kKindPsdFile, setup);
}

CKavroFrame* AppFixture::openInstrument(std::vector<MemoryFrame> frames)
{
    dialogs->portAnswers.push_back(InstrumentChoice{1, 0});
    SourceSetup setup;
    setup.frames = std::move(frames);
    setup.name = "Instrument";
    return open(kKindInstrument, setup);
}

CKavroFrame* AppFixture::openRaw()
{
    dialogs->modelAnswers.push_back(0);
    SourceSetup setup;
    setup.name = "/data/run.psd";
    return open(kKindRawFile, setup);
}

}  // namespace kavro::test
