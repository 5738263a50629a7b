#pragma once
// Instrument Port (dialog 122: serial port and model, for the instrument) and
// Instrument Model (dialog 128: the model only, for a raw data file).
#include <QDialog>

class QComboBox;

namespace kavro {

class InstrumentDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPortDialog = 122;
    static constexpr int kModelDialog = 128;

    // The port list is shown only by the port dialog; port and model are preselected.
    InstrumentDialog(int dialogId, int port, int model, QWidget* parent = nullptr);

    QComboBox* portBox() const { return portBox_; }
    QComboBox* modelBox() const { return modelBox_; }
    int port() const;
    int model() const;

private:
    QComboBox* portBox_ = nullptr;
    QComboBox* modelBox_;
};

}  // namespace kavro
