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
class CTextWnd;

class InstrumentStatus {
public:
    // The lines go onto canvas, below the frame label and the maker's name;
    // commWait: the seconds a request waits for its reply.
    InstrumentStatus(QWidget* canvas, const CCommSource& source, int commWait);

    // After every request: what it brought, and the recording state.
    void showExchange();
    void showRecording();
    // While a request waits for its reply: the line says so and is drawn at once.
    void showWaiting(int secondsWaited);

    CTextWnd* exchangeLabel() const { return exchange_; }
    CTextWnd* recordingLabel() const { return recording_; }

    // "Recording: a.psd, a.asc in /dir" for the files written, or why nothing is.
    static std::string recordingText(const std::vector<std::string>& paths, const std::string& outputError);

private:
    std::string exchangeText() const;

    const CCommSource& source_;
    int commWait_;
    CTextWnd* exchange_;
    CTextWnd* recording_;
};

}  // namespace kavro
