#pragma once
// Send Command: a modal dialog, built afresh each time, that sends a typed line or
// Ctrl-C to the instrument; the reply goes to the receive-buffer window.  The
// command sent last stays with the source and fills the box at the next opening.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kavro {

class CCommSource;

class CSendCommandDlg : public QDialog {
    Q_OBJECT
public:
    CSendCommandDlg(CCommSource& source, QWidget* parent = nullptr);

    QLineEdit* commandEdit() const { return edit_; }
    QPushButton* sendButton() const { return send_; }
    QPushButton* ctrlCButton() const { return ctrlC_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The box's text becomes the source's command, which is sent.
    void sendCommand();
    // Ctrl-C is sent; the source keeps its command.
    void sendCtrlC();

private:
    // Runs one exchange with the instrument, then readies the box.
    void exchange(void (CCommSource::*operation)());
    // The box is ready for the next command: focused, its text selected.
    void readyForNext();

    CCommSource& source_;
    QLineEdit* edit_;
    QPushButton* send_;
    QPushButton* ctrlC_;
    QPushButton* cancel_;
};

}  // namespace kavro
