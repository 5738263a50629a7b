#pragma once
// The instrument live on a serial port: each frame is asked for with a request
// line, cut from the characters that come back, parsed into the raw value array
// and processed like a frame of a recording.  The same object talks to the
// instrument for the communication windows (a typed command, Ctrl-C) and hands
// every frame to a live collection (background scatter, averaging) while one runs.
//
// What a live window or logger needs to know, in one place:
// - Every complete frame received is taken once, in the order sent: a request that
//   finds several waiting takes them all (the source then stands on the newest);
//   writeReceivedFrames() takes what is still waiting, and close() calls it first,
//   so that stopping never loses a frame.  A reply that came after its request had
//   stopped waiting is taken by the next request, which then still waits for its
//   own reply, so that one late reply never makes every later frame late.
// - A frame's number is its record in the .psd counting the data records from 0
//   (the number the replay, Go To Frame and the exports use); it moves on only for
//   a frame taken, and nothing else (an average saved, a collection) resets it.
// - Every frame's time stamp is when its end character arrived.  pollLine() reads
//   the line between requests so that a late reply is stamped when it came; the
//   wait for a reply reads it every 50 ms.
// - A frame text that is not 40 unsigned numbers up to 65535, or longer than 1027
//   characters, is rejected: nothing is written, it only shows in the
//   receive-buffer window and the counts.
// - The outputs take every frame together: when one of them fails, the frame is
//   taken back from the others and none is written to again, so that every file
//   ends with the same frame; counts().written is the frames in each file.
// - counts(): frames written, rejected and suspect, and requests that brought no
//   frame; lastExchange(): what the last request brought.
// - setWaitListener(): called at each poll pause while a request waits for its
//   reply, with the seconds waited so far, so that a window can repaint and say so.
// - outputPaths() / recording() (from CRawSource): the files being written, the
//   time stamps "<name>.time.csv" (timeStampPath()) among them.
// - Bytes that wait on the line when the port opens are discarded, so the first
//   frame is the answer to the first request.
#include "acquisition/FrameReceiver.h"
#include "core/CRawSource.h"
#include "core/RawRecord.h"
#include "platform/SerialLink.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kavro {

class Settings;

class CCommSource : public CRawSource {
public:
    // The clock and the sleep of the exchange with the instrument; tests give
    // their own so that a wait of seconds takes no time.
    struct Timing {
        std::function<long long()> seconds;         // whole seconds of a steady clock
        std::function<void(int ms)> sleepMilliseconds;
        std::function<UtcTime()> utcNow = {};        // the time stamps' clock (default: the system's)
    };
    // Receives every frame while a live collection runs.
    using FrameListener = std::function<void(const RawWords& words)>;
    // Receives the output record of every frame taken, with its frame number, once it
    // is written (a window that keeps the cast so far in memory).
    using RecordListener = std::function<void(const OutputRecord& record, int frameNumber)>;
    // Called at each pause while a request waits for its reply: whole seconds waited.
    using WaitListener = std::function<void(int secondsWaited)>;
    // Told what became of the line: lost (waiting for it), back, silent, answering again.
    using LinkListener = std::function<void(const std::string& text)>;

    // What the last request (or writeReceivedFrames) brought.
    enum class Exchange {
        None,      // nothing asked for yet
        Frame,     // at least one frame taken and written
        NoReply,   // no complete frame within CommWait seconds
        Rejected,  // only frame texts that were rejected
        LinkLost,  // the device has gone away; no frame
    };
    struct Counts {
        long written = 0;       // frames taken, processed and written to every output that is on
        long rejected = 0;      // frame texts rejected (nothing written)
        long suspect = 0;       // frames written from the first 40 of more numbers
        long withoutFrame = 0;  // requests that brought no frame (no reply or only rejected ones)
    };

    static constexpr long long kMaxFrameNumber = 2147483647;  // the largest frame number
    static constexpr int kReplyMax = FrameReceiver::kBufferSize - 1;

    // portName "COM1:".."COM4:" picks port 0..3 (exactly, case and colon included);
    // any other name picks port 1, an empty one is taken as "COM1:".
    CCommSource(SourceContext context, SourceOwner* owner, std::unique_ptr<SerialLink> link,
                std::string portName = "COM1:");
    ~CCommSource() override;

    // Opens and sets up the request's port (a failure is told with the device and
    // the reason), then the common open sequence.  A cast continued goes on with the
    // frame numbers after those its files hold.  Throws UserAbort when it fails or
    // is cancelled.
    using CDataSource::open;
    void open(const OpenRequest& request, OpenQuestions* questions) override;
    // One request and its reply: 1 when a frame came and was processed and written
    // (with every other complete frame waiting behind it), 0 when none came within
    // CommWait seconds, only rejected ones came, or the link is gone.
    int readNextFrame() override;
    // Takes every complete frame already received, without a request; the number
    // taken.  Closing calls it first.
    int writeReceivedFrames();
    // Reads what has arrived on the line without taking a frame, so that each frame
    // keeps the time it arrived; called between requests, as often as convenient.
    void pollLine();
    void close() override;
    // The same as readNextFrame: the frame number moves on with each frame taken.
    int nextFrame() override;

    const Counts& counts() const { return counts_; }
    // The window shows frame 0 before the instrument has sent any.
    bool holdsFrame() const override { return taken_ > 0; }
    Exchange lastExchange() const { return lastExchange_; }
    // The warning told at the open when the outputs' disk has room for less than
    // half a day of frames at one a second; "" when there is room (or no output).
    const std::string& spaceWarning() const { return spaceWarning_; }
    // The hours of frames at interval seconds the disk of paths holds (the files of a
    // cast, written to at once); nothing when it cannot be told or paths is empty.
    static std::optional<double> hoursOfRoom(const std::vector<std::string>& paths, double interval);
    // The folder of the first of paths ("." when it has none).
    static std::string folderOf(const std::vector<std::string>& paths);
    // That warning for freeBytes left and bytesPerFrame written per frame; "" when
    // the room lasts half a day.
    static std::string lowSpaceWarning(unsigned long long freeBytes, double bytesPerFrame, const std::string& folder);
    // "<name>.time.csv" while it is written, "" when it is not.
    std::string timeStampPath() const
    {
        const OutputFile& file = results_.file(ResultFiles::Time);
        return file.isOpen() ? file.path() : std::string();
    }
    void setWaitListener(WaitListener listener) { waitListener_ = std::move(listener); }
    void setRecordListener(RecordListener listener) { recordListener_ = std::move(listener); }

    // The Send Command window's text.
    const std::string& command() const { return command_; }
    void setCommand(std::string command) { command_ = std::move(command); }
    // Sends the command (and CR LF), collects the reply for about 600 ms and shows
    // it in the receive-buffer window.  The reply never enters the frame buffer.
    void sendCommandAndShowReply();
    // The same with the single character Ctrl-C (0x03); the command stays as it was.
    void sendCtrlC();

    void setFrameListener(FrameListener listener) { listener_ = std::move(listener); }
    void clearFrameListener() { listener_ = nullptr; }
    void setTiming(Timing timing) { timing_ = std::move(timing); }
    // Milliseconds a request waits for its reply at most, beside CommWait (0: CommWait
    // alone): a driver asking at an interval gives the interval.
    void setReplyWait(int ms) { replyWaitMs_ = ms; }

    const std::string& portName() const { return portName_; }
    int portIndex() const { return portIndex_; }
    int portOpen() const { return portOpen_; }
    // True once the device has gone away; no further requests are sent until
    // reconnect() finds it again.
    bool linkLost() const { return linkLost_; }
    // With a listener, the line going away is told to it ("Instrument lost at
    // 14:02:11 (reason): waiting for it to come back") instead of in a message box,
    // and so is its return and a silence of the instrument: the cast stays open and
    // the driver calls reconnect() while linkLost().
    void setLinkListener(LinkListener listener) { linkListener_ = std::move(listener); }
    // While the line is lost: opens the same device again, at most once a second
    // (now: at once).  Once it opens, the line is set up as at the open and the cast
    // goes on into the same files, the frame numbers running on; true then (and
    // when the line was not lost).
    bool reconnect(bool now = false);
    // The last thing told of the line ("" while nothing is to be said).
    const std::string& linkNote() const { return linkNote_; }
    // Seconds since the line was lost (0 while it is not).
    long long secondsLost() const { return linkLost_ ? timing_.seconds() - lostSince_ : 0; }
    // The frames a continued cast held before this run (0 for a new one): frame numbers
    // and time-stamp records go on after them.
    long long recordBase() const { return continuedFrames_; }
    // What was told when the port failed to open or the device went away ("" when none).
    const std::string& linkError() const { return linkError_; }
    std::string_view frameText() const { return receiver_.frameText(); }
    std::string_view pendingText() const { return receiver_.pending(); }
    const std::string& lastReply() const { return reply_; }
    const RawWords& frameWords() const { return words_; }
    SerialLink& link() { return *link_; }

    // The port a name picks: 0..3 for "COM1:".."COM4:" exactly, 1 for any other name.
    static int portIndexOf(const std::string& portName);
    // The 16-bit word of a raw value: truncated toward zero, within 0..65535.
    static std::uint16_t wordOf(double value);

private:
    // Writes text (and CR LF) to the instrument as a command.
    void sendLine(const std::string& text);
    // What the wait for a request's own reply found.
    enum class Reply { None, Accepted, Rejected };
    // Waits up to CommWait for a frame that began after the request (the read
    // number requestRead was the last before it); frames that began before are
    // taken on the way.
    Reply receiveReply(long long requestRead);
    // Checks the frame text cut last (result: what the receiver said of it) and,
    // when it is accepted, processes and writes it; true when accepted.
    bool takeFrame(FrameReceiver::Result result);
    // Takes every complete frame that is there now, in order; the frame texts cut.
    int takeCompleteFrames();
    void processFrame();
    void tellLinkLost();
    // Sets a port that has opened up for frames: line parameters, nothing stale, the
    // initialisation string.  False when the line cannot be set up.
    bool setUpLine();
    // Tells a silence of the instrument, and its end, to the link listener.
    void noteReplies(bool replied);
    void tellLink(const std::string& text);
    // The time stamps' clock: the timing's, else the system's.
    UtcTime utcNow() const { return timing_.utcNow ? timing_.utcNow() : UtcTime::clock::now(); }
    void closePort();
    // A text for the receive-buffer window; rejected: a frame text that was refused.
    void showText(std::string_view text, bool rejected = false);

    std::unique_ptr<SerialLink> link_;
    std::string portName_;
    int portIndex_;
    int portOpen_ = 0;
    // The settings of the exchange; nothing changes them.
    std::string initString_;
    std::string pollCommand_;
    bool appendCrLf_ = true;
    std::string command_;
    FrameReceiver receiver_;
    std::string reply_;
    RawWords words_{};
    FrameListener listener_;
    WaitListener waitListener_;
    RecordListener recordListener_;
    Counts counts_;
    long long taken_ = 0;  // frames accepted since the open
    Exchange lastExchange_ = Exchange::None;
    bool closing_ = false;
    Timing timing_;
    int replyWaitMs_ = 0;
    bool linkLost_ = false;
    std::string linkError_;
    LinkListener linkListener_;
    std::string linkNote_;
    long long lostSince_ = 0;       // steady seconds when the line went
    long long lastAttempt_ = -1;    // steady seconds of the last reconnect attempt
    bool partialAtLoss_ = false;    // a frame was half received when the line went
    long long silentSince_ = -1;    // steady seconds of the last reply (-1: none asked yet)
    bool silenceTold_ = false;
    std::string spaceWarning_;
    void warnIfLittleSpace();
};

// The termios link of the port names: the devices and speed of the settings.
std::unique_ptr<SerialLink> makeInstrumentLink(const Settings& settings);
// The same with the request's device for its port, when it names one.
std::unique_ptr<SerialLink> makeInstrumentLink(const Settings& settings, const OpenRequest& request);

}  // namespace kavro
