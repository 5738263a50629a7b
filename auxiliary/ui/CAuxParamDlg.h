#pragma once
// "Auxiliary Parameters" (dialog 115): a modeless window that shows, for the frame
// a view shows, the eight auxiliary channels in engineering units (or as raw
// counts), the frame number, the transmission and the three warnings.  For a raw
// data file the auxiliary graph feeds it the summary record of any frame.
#include "core/CRawSource.h"

#include <QDialog>
#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kavro {

class CDataSource;

class CAuxParamDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 115;

    // A modeless window of view (its Qt parent) showing source's current frame.
    // Closing it (Cancel) deletes it.
    CAuxParamDlg(const CDataSource& source, QWidget* view);

    // The source's current frame.
    void Refresh();
    // Labels, units and constants from the source's calibration again, then Refresh.
    void RefreshCalibration();
    // One frame summary record of a raw data file and its frame number.
    void ShowRecord(const FrameSummary& record, int frameIndex);

    // What the window shows, for the tests and the curious.
    QString labelText(int row) const;   // rows 0..7 the channels, 8 "Transmission"
    QString valueText(int channel) const;
    QString unitsText(int channel) const;
    QString transmissionText() const;
    QString frameText() const;
    QString warningText(int line) const;  // lines 0..2
    QCheckBox* showRawBox() const { return showRawBox_; }

private:
    void buildControls();
    void loadCalibration();
    void applyUnitsRule();
    void loadFromSource();
    void updateControls();
    void onShowRawClicked();

    const CDataSource& source_;
    std::array<double, 8> raw_{};
    std::array<double, 8> multiplier_{};
    std::array<double, 8> offset_{};
    std::array<std::string, 9> label_;
    std::array<std::string, 8> units_;
    int frame_ = 0;
    bool showRaw_ = false;
    bool storedValues_ = false;
    double refRatio_ = 0.0;
    double transmission_ = 0.0;
    int zeroRings_ = 0;
    int saturatedRings_ = 0;

    std::array<QLabel*, 9> labels_{};
    std::array<QLineEdit*, 8> values_{};
    std::array<QLabel*, 8> unitLabels_{};
    QLineEdit* transmissionEdit_ = nullptr;
    QLineEdit* frameEdit_ = nullptr;
    std::array<QLabel*, 3> warnings_{};
    QCheckBox* showRawBox_ = nullptr;
};

}  // namespace kavro
