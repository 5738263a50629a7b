#pragma once
// The two status lines of an instrument window: under the frame number, what the
// last request brought (or that the window is waiting for the instrument), so that
// a request without a frame never passes for one; at the bottom, whether the frames
// are being recorded and to which files.
#include <string>
#include <vector>

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
    // The animation's timer started or stopped: once it has stopped (or the instrument
    // is lost) the line says Stopped, never Recording.
    void setRunning(bool running);
    // While a request waits for its reply: the line says so and is drawn at once.
    void showWaiting(int secondsWaited);

    CTextWnd* exchangeLabel() const { return exchange_; }
    CTextWnd* recordingLabel() const { return recording_; }

    // Where the frames stand: taken as they come, stopped by the user, or the instrument gone.
    enum class Run { Going, Stopped, Lost };
    // "Recording: a.psd, a.asc in /dir" for the files written, "Stopped: 12 frames in
    // a.psd, a.asc in /dir" once no more are taken, or why nothing is.
    static std::string recordingText(const std::vector<std::string>& paths, const std::string& outputError,
                                     Run run = Run::Going, long frames = 0);

private:
    std::string exchangeText() const;

    const CCommSource& source_;
    int commWait_;
    bool stopped_ = false;  // the timer ran and has stopped
    CTextWnd* exchange_;
    CTextWnd* recording_;
};

}  // namespace kavro
