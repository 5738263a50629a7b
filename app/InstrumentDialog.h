#pragma once
// Instrument Port (dialog 122: serial port and model, for the instrument) and
// Instrument Model (dialog 128: the model only, for a raw data file).  The port
// dialog also shows the device behind each port and offers the serial devices
// present for the chosen one.
#include "app/AppDialogs.h"

#include <QDialog>

class QComboBox;
class QLabel;

namespace kavro {

class InstrumentDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPortDialog = 122;
    static constexpr int kModelDialog = 128;

    // The port list is shown only by the port dialog; port and model are preselected.
    InstrumentDialog(int dialogId, int port, int model, QWidget* parent = nullptr, const PortDevices& devices = {});

    QComboBox* portBox() const { return portBox_; }
    QComboBox* modelBox() const { return modelBox_; }
    QComboBox* deviceBox() const { return deviceBox_; }
    QLabel* portDevicesLabel() const { return portDevicesLabel_; }
    int port() const;
    int model() const;
    // The device for the chosen port: the one picked from the list or a path typed in.
    std::string device() const;

private:
    void showDeviceOf(int port);
    void showPortDevices();

    PortDevices devices_;
    QComboBox* portBox_ = nullptr;
    QComboBox* modelBox_;
    QComboBox* deviceBox_ = nullptr;
    QLabel* portDevicesLabel_ = nullptr;
};

}  // namespace kavro
