#pragma once
// The two status lines of an instrument window: under the frame number, what the
// last request brought (or that the window is waiting for the instrument), so that
// a request without a frame never passes for one; at the bottom, whether the frames
// are being recorded and to which files.  Beside them, a band across the window
// says the recording state in large letters, to be read from across the room.
#include <QElapsedTimer>
#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace kavro {

class CCommSource;
class CDataSource;

// The file name of what a live source records to (its .psd, else its first output);
// "" for a source that records nothing or is no instrument.
std::string recordingFileName(const CDataSource* source);
class CTextWnd;

class InstrumentStatus {
public:
    // The lines go onto canvas, below the frame label and the maker's name;
    // commWait: the seconds a request waits for its reply.
    InstrumentStatus(QWidget* canvas, const CCommSource& source, int commWait);

    // After every request: what it brought, and the recording state.
    void showExchange();
    void showRecording();
    // The animation's timer started or stopped: before it first runs the line says
    // Ready, once it has stopped (or the instrument is lost) Stopped, never Recording.
    void setRunning(bool running);
    // The band that shows the recording state (owned by the frame; may be null).
    void setIndicator(QLabel* indicator);
    QLabel* indicator() const { return indicator_; }
    // The large band, made for an instrument window's frame to dock.
    static QLabel* makeIndicator();
    // Seconds the timer has run so far, all its runs together.
    long long runSeconds() const;
    // While a request waits for its reply: the line says so and is drawn at once.
    void showWaiting(int secondsWaited);

    CTextWnd* exchangeLabel() const { return exchange_; }
    CTextWnd* recordingLabel() const { return recording_; }

    // Where the frames stand: the timer not yet started, taken as they come, stopped by
    // the user, or the instrument gone.
    enum class Run { Ready, Going, Stopped, Lost };
    static Run runOf(bool timerRunning, bool timerRan, bool linkLost);
    // "Recording: a.psd, a.asc in /dir" for the files written, "Stopped: 12 frames in
    // a.psd, a.asc in /dir" once no more are taken, or why nothing is.
    static std::string recordingText(const std::vector<std::string>& paths, const std::string& outputError,
                                     Run run = Run::Going, long frames = 0);
    // What the band shows: REC only while the timer runs and the files take the frames.
    enum class Indicator { Ready, Rec, Stopped, Lost, NotRecording, Failed };
    static Indicator indicatorOf(Run run, bool recording, bool failed);
    // "● REC   ·   01:02:03   ·   754 frames", "STOPPED   ·   754 frames", ...
    static std::string indicatorText(Indicator state, long long seconds, long frames);

private:
    std::string exchangeText() const;
    // The frames the files hold: this run's and, for a continued cast, those before.
    long framesInFiles() const;

    const CCommSource& source_;
    int commWait_;
    void showIndicator(Run run);

    bool running_ = false;  // the timer runs
    bool ran_ = false;      // the timer has run at least once
    QElapsedTimer runClock_;  // the current run of the timer
    long long ranMs_ = 0;     // the runs before it
    CTextWnd* exchange_;
    CTextWnd* recording_;
    QLabel* indicator_ = nullptr;
};

}  // namespace kavro
