#pragma once
// Accumulate & Average Data Frames: collects a number of the instrument's live
// frames, averages their raw values and processes the average once, like a single
// frame, into a one-record .psd file (and the .asc beside it when asked).
#include "background/ui/BackgroundHost.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kavro {

class CAccumulateDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultFrames = 100;
    static constexpr int kCollectingInterval = 1000;  // one frame asked for a second

    // Modeless, a window of its own owned by parent (the view); deleted when closed.
    CAccumulateDlg(BackgroundHost& host, QWidget* parent);

    // After every frame while collecting (and after BEGIN and FINISH): the count,
    // and the end of the collection once the target is reached.
    void updateCount();
    // The BEGIN/FINISH button.
    void beginOrFinish();
    // "...": the output file.
    void chooseOutputFile();
    // The button's caption and whether it can be pressed.
    void showCollectionState();
    bool collecting() const { return collecting_; }

    // Cancel, Escape and the close box: a running collection is finished first.
    void reject() override;

    QLineEdit* frameCountEdit() const { return frameCountEdit_; }
    QLineEdit* framesToAverageEdit() const { return framesEdit_; }
    QPlainTextEdit* statusBox() const { return statusBox_; }
    QLineEdit* outputEdit() const { return outputEdit_; }
    QPushButton* browseButton() const { return browseButton_; }
    QCheckBox* ascCheck() const { return ascCheck_; }
    QCheckBox* psdCheck() const { return psdCheck_; }
    QPushButton* collectButton() const { return collectButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void buildControls();
    void begin();
    // cancelled: the window is closing, so what was written is told in a message
    // (its status box goes with it).
    void finish(bool cancelled = false);
    void tellCancelled(int frames);
    // Takes the boxes' values; false (after the message) when they cannot be used.
    bool takeFields();
    void setFieldsEnabled(bool enabled);

    BackgroundHost& host_;
    QLineEdit* frameCountEdit_;
    QLineEdit* framesEdit_;
    QPlainTextEdit* statusBox_;
    QLineEdit* outputEdit_;
    QPushButton* browseButton_;
    QCheckBox* ascCheck_;
    QCheckBox* psdCheck_;
    QPushButton* collectButton_;
    QPushButton* cancelButton_;
    bool collecting_ = false;
    int framesToAverage_ = kDefaultFrames;
    std::string output_;
    bool writeAsc_ = false;
    bool writePsd_ = true;
};

}  // namespace kavro
