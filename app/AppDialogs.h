#pragma once
// The modal dialogs of the application shell, behind one interface so that the
// tests can answer them: the desktop program shows the real ones (QtAppDialogs).
#include <functional>
#include <optional>

class QPrinter;

namespace kavro {

struct InstrumentChoice {
    int port;   // 0..3 for "COM1:".."COM4:"
    int model;  // 0..2
};

class AppDialogs {
public:
    virtual ~AppDialogs() = default;
    // Instrument Port: preselected port index and model; nothing on Cancel.
    virtual std::optional<InstrumentChoice> askInstrumentPort(int port, int model) = 0;
    // Instrument Model: the preselected model; nothing on Cancel.
    virtual std::optional<int> askInstrumentModel(int model) = 0;
    // Go To Frame: the frame number entered; nothing on Cancel.
    virtual std::optional<int> askFrameNumber() = 0;
    // The print dialog for printer; false on Cancel.
    virtual bool askPrint(QPrinter& printer) = 0;
    // Print preview of what render draws on the printer's pages.
    virtual void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& render) = 0;
    // Page set-up of the program's printer.
    virtual void askPageSetup(QPrinter& printer) = 0;
    virtual void showAbout() = 0;
};

}  // namespace kavro
