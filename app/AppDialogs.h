#pragma once
// The modal dialogs of the application shell, behind one interface so that the
// tests can answer them: the desktop program shows the real ones (QtAppDialogs).
#include "platform/SerialDevices.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace kavro {

struct InstrumentChoice {
    int port;   // 0..3 for "COM1:".."COM4:"
    int model;  // 0..2
    std::string device = {};  // the serial device chosen for the port; "" = as it is
};

// What the Instrument Port dialog shows beside the port names.
struct PortDevices {
    std::array<std::string, 4> mapped;  // the device each port opens now
    std::vector<SerialDevice> present;  // the serial devices plugged in, to choose from
};

// What to do when the .psd chosen for a live recording exists already.
enum class ExistingCast { Continue, Replace, NewName };

class AppDialogs {
public:
    virtual ~AppDialogs() = default;
    // Instrument Port: preselected port index and model, the ports' devices; nothing on Cancel.
    virtual std::optional<InstrumentChoice> askInstrumentPort(int port, int model, const PortDevices& devices) = 0;
    // Instrument Model: the preselected model; nothing on Cancel.
    virtual std::optional<int> askInstrumentModel(int model) = 0;
    // Go To Frame, opened at the frame shown (current): the frame number entered (0 to
    // lastFrame); nothing on Cancel.
    virtual std::optional<int> askFrameNumber(int lastFrame, int current) = 0;
    // The print dialog for printer; false on Cancel.
    virtual bool askPrint(QPrinter& printer) = 0;
    // Print preview of what render draws on the printer's pages.
    virtual void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& render) = 0;
    // Page set-up of the program's printer.
    virtual void askPageSetup(QPrinter& printer) = 0;
    virtual void showAbout() = 0;
    // No instrument output is on: record to the proposed .psd (true; the save dialog
    // still lets the name change), go on without recording (false), or nothing on Cancel.
    virtual std::optional<bool> askRecording(const std::string& proposedPath) = 0;
    // The .psd chosen for a live recording exists: continue that cast in its files,
    // replace every file of it, or record to freeName instead; nothing on Cancel.
    virtual std::optional<ExistingCast> askExistingCast(const std::string& path, const std::string& freeName) = 0;
};

}  // namespace kavro
