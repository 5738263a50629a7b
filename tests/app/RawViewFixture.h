#pragma once
// The application with the program's own sources, the raw-view and option hooks
// and those of the Rings window, a calibration folder to open raw recordings with, and the modal dialogs
// of those hooks answered by a script.
#include "tests/app/AppTestSupport.h"
#include "tests/core/CoreFixture.h"

#include <QDialog>
#include <deque>
#include <functional>

namespace kavro {
class CAuxParamDlg;
class CRawFile;
class RawFileView;
}

namespace kavro::test {

// Frame i of a recording: rings 1000 (ring 1: 16 i mod 4096), laser power 2000 + i,
// battery 2000, laser reference 1000, pressure 100 + i.
std::vector<std::uint16_t> browsingFrame(int i);

class RawViewFixture : public AppFixture {
protected:
    // The program's own sources unless others are given.
    explicit RawViewFixture(std::unique_ptr<SourceFactory> sources = std::make_unique<KavroSourceFactory>());

    // Writes a recording of frames made by frame(i) and opens it as the user would:
    // model 0, the recording, the ring-area and background files, output psd.
    CKavroFrame* openRecording(int frames, const std::string& psd = "",
                               const std::function<std::vector<std::uint16_t>(int)>& frame = browsingFrame);
    RawFileView* rawView(CKavroFrame* frame) const;
    CRawFile* rawSource(CKavroFrame* frame) const;
    void command(int id);
    // Show Auxiliary Parameter Frame, and the window it shows (null when none).
    CAuxParamDlg* showAuxWindow(CKavroFrame* frame);

    // The next modal dialog's answer: it may fill the dialog's boxes and accept or
    // reject it; the answer to the hook is the dialog's result.
    std::deque<std::function<void(QDialog&)>> dialogScript;
    int dialogsShown = 0;

    CalibrationFolder cal;
    std::string recording;
};

}  // namespace kavro::test
