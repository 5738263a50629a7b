#pragma once
// The shell's modal dialogs as the desktop program shows them.
#include "app/AppDialogs.h"

#include <QPointer>
#include <QWidget>

namespace kavro {

class Prompter;

class QtAppDialogs : public AppDialogs {
public:
    explicit QtAppDialogs(Prompter& prompter) : prompter_(prompter) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<InstrumentChoice> askInstrumentPort(int port, int model, const PortDevices& devices) override;
    std::optional<int> askInstrumentModel(int model) override;
    std::optional<int> askFrameNumber(int lastFrame, int current) override;
    bool askPrint(QPrinter& printer) override;
    void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& render) override;
    void askPageSetup(QPrinter& printer) override;
    void showAbout() override;
    std::optional<bool> askRecording(const std::string& proposedPath) override;
    std::optional<ExistingCast> askExistingCast(const std::string& path, const std::string& freeName) override;

private:
    Prompter& prompter_;
    QPointer<QWidget> parent_;
};

}  // namespace kavro
