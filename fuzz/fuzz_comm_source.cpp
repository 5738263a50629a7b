// The instrument source live: the input arrives on a scripted serial link, in the
// pieces it chooses and while the source waits between its polls, and the source
// asks for frames, sends commands and Ctrl-C, and loses its line when the input
// says so.  Every frame it takes is one whole record in each result file and one
// time stamp, the frame number moves only with a frame taken, and after the line
// is lost nothing more is asked for; closing takes what is still waiting.  Time passes only in the
// source's sleeps, so a wait of seconds costs nothing.
#include "acquisition/CCommSource.h"
#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/FileUtil.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"
#include "tests/support/ScriptedSerialLink.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>

using namespace kavro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::writeSoundCalibration();
    FuzzedDataProvider input(data, size);
    Settings settings;
    settings.calFiles = fuzz::scratchDir();
    settings.commWait = input.ConsumeIntegralInRange<int>(0, 2);
    settings.outputs.value[0] = input.ConsumeBool() ? 1 : 0;  // .asc
    settings.outputs.value[1] = 1;                            // .log
    settings.outputs.value[2] = 1;                            // .psd
    const std::string psdPath = fuzz::scratchFile("live.psd");
    const std::string logPath = fuzz::scratchFile("live.log");
    const std::string timePath = fuzz::scratchFile("live.time.csv");
    auto lines = [](const std::string& path) {
        std::string text;
        readWholeFile(path, text);
        return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
    };

    Profile profile(fuzz::scratchFile("none.INI"));
    ScriptedPrompter prompter;
    prompter.choose(fuzz::scratchFile("RingArea_a.asc")).choose(fuzz::scratchFile("zsc.asc")).choose(psdPath);
    FixedModelOwner owner(0);
    auto scripted = std::make_unique<test::ScriptedSerialLink>();
    test::ScriptedSerialLink& link = *scripted;
    CCommSource source(SourceContext{settings, profile, prompter}, &owner, std::move(scripted), "COM2:");
    long long ms = 0;
    std::deque<std::string> arriving;  // pieces that come while the source sleeps
    source.setTiming({[&] { return ms / 1000; },
                      [&](int d) {
                          ms += d;
                          if (!arriving.empty()) {
                              link.arrive(arriving.front());
                              arriving.pop_front();
                          }
                      }});
    int heard = 0;
    source.setFrameListener([&](const RawWords&) { ++heard; });
    try {
        source.open();
    } catch (const UserAbort&) {
        fuzz::require(false, "a scripted port and a sound calibration open");
    }

    long frames = 0;
    while (input.remaining_bytes() > 0) {
        const int kind = input.ConsumeIntegralInRange<int>(0, 5);
        link.setReadChunk(input.ConsumeIntegralInRange<int>(0, 16));
        const std::string piece = input.ConsumeRandomLengthString(300);
        switch (kind) {
        case 0: link.arrive(piece); source.readNextFrame(); break;
        case 1: arriving.push_back(piece); source.nextFrame(); break;
        case 2: source.setCommand(piece); source.sendCommandAndShowReply(); break;
        case 3: link.arrive(piece); source.sendCtrlC(); break;
        case 4: arriving.push_back(piece); break;
        default: link.breakLink("the adapter was unplugged"); break;
        }
        fuzz::require(source.counts().written >= frames, "frames taken are never taken back");
        frames = source.counts().written;
        fuzz::require(fuzz::fileSize(psdPath) == (2 + frames) * kPsdRecordBytes, "one .psd record a frame taken");
        fuzz::require(lines(logPath) == frames, "one .log line a frame taken");
        fuzz::require(lines(timePath) == frames + 1, "one time stamp a frame taken");
        fuzz::require(heard == frames, "every frame taken goes to the live collection");
        fuzz::require(source.frameNumber() == (frames == 0 ? 0 : frames - 1),
                      "the frame number moves with the frames taken and nothing else");
        for (int i = 0; i < kFrameValues; ++i)
            fuzz::require(source.frameWords()[static_cast<std::size_t>(i)] ==
                              CCommSource::wordOf(source.rawValue(i)),
                          "the words handed on are the raw values' words");
        if (link.failed()) {
            const std::string written = link.written;
            while (source.readNextFrame() == 1) {
            }  // frames that had come before the line went are still taken
            frames = source.counts().written;
            fuzz::require(source.linkLost(), "a lost line is noticed");
            fuzz::require(link.written == written, "nothing is sent on a lost line");
            break;
        }
    }
    source.close();
    fuzz::require(source.counts().written >= frames, "closing takes the frames still waiting");
    frames = source.counts().written;
    fuzz::require(fuzz::fileSize(psdPath) == (2 + frames) * kPsdRecordBytes,
                  "the .psd holds every frame after close");
    fuzz::require(lines(logPath) == frames && lines(timePath) == frames + 1, "the .log and time stamps as well");
    return 0;
}
