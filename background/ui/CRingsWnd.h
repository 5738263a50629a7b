#pragma once
// The Rings window of an instrument or raw-data-file view: the raw ring values of
// the current frame against the background in force, the laser power and the
// transmission gauge, and the button that collects a background scatter file
// from the instrument's live frames (BEGIN ... FINISH).
#include "background/ui/BackgroundHost.h"
#include "core/Constants.h"

#include <QDialog>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kavro {

class CTransmissionGauge;
class RingPlotPanel;

class CRingsWnd : public QDialog {
    Q_OBJECT
public:
    static constexpr double kInitialMaximum = 4095.0;

    // Modeless, a window of its own owned by parent (the view); deleted when closed.
    CRingsWnd(BackgroundHost& host, QWidget* parent);

    // A new frame has come: the laser power shows its raw value from now on.
    void newFrame();
    // Shows the current values again: rings, background, counts and gauge.
    void redraw();
    // A raw data file: shows record `frame` (the auxiliary graph's cursor frame)
    // without moving the source or writing its result files.  False, and nothing
    // changes, when it cannot be read (the file has been processed and closed).
    bool showRawFrame(int frame);
    // Shows the raw values of frame number `frame` that the view holds for its
    // display (a live frame looked at again), until the next newFrame.
    void showFrameValues(const std::array<double, kFrameValues>& values, int frame);
    // The BEGIN/FINISH button.
    void beginOrFinish();
    // The button's caption and whether it can be pressed.
    void showCollectionState();

    // Raw value i of the frame shown.
    double frameValue(int index) const;

    RingPlotPanel* plotPanel() const { return plot_; }
    CTransmissionGauge* gauge() const { return gauge_; }
    QLineEdit* laserPowerEdit() const { return laserPowerEdit_; }
    QLineEdit* factoryLaserPowerEdit() const { return factoryEdit_; }
    QLineEdit* framesEdit() const { return framesEdit_; }
    QLineEdit* frameNumberEdit() const { return frameNumberEdit_; }
    // The laser power's caption (calibrated or raw) and unit.
    QLabel* laserPowerCaption() const { return laserPowerCaption_; }
    QLabel* laserPowerUnit() const { return laserPowerUnit_; }
    QPushButton* collectButton() const { return collectButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

protected:
    // The plot takes what the window grows by; the read-outs and gauge move along.
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildReadOuts();
    // The laser power's caption and unit for what it holds now.
    void showLaserPowerKind();
    void buildGauge();
    void begin();
    void finish();

    BackgroundHost& host_;
    RingPlotPanel* plot_;
    QWidget* column_ = nullptr;
    CTransmissionGauge* gauge_ = nullptr;
    QLineEdit* laserPowerEdit_ = nullptr;
    QLineEdit* factoryEdit_ = nullptr;
    QLineEdit* framesEdit_ = nullptr;
    QLineEdit* frameNumberEdit_ = nullptr;
    QLabel* laserPowerCaption_ = nullptr;
    QLabel* laserPowerUnit_ = nullptr;
    QPushButton* collectButton_;
    QPushButton* cancelButton_;
    double laserPower_;
    bool laserPowerCalibrated_ = true;  // until the first new frame
    // A raw file's record shown in place of the source's current frame, and its number.
    std::optional<std::array<double, kFrameValues>> rawFrame_;
    int rawFrameNumber_ = 0;
};

}  // namespace kavro
