#pragma once
// Output Options (dialog 113): which result files the sources opened from now on
// write.  The binary raw data file of the instrument is never made (its switch is
// 0 after every OK) and a raw data file always writes its .psd file; the VSF boxes
// count only with their .asc box.
#include "core/OutputSwitches.h"

#include <QDialog>
#include <array>

class QCheckBox;

namespace kavro {

class OutputOptionsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 113;
    // Control ids of the boxes of switches 0..8.
    static constexpr std::array<int, 9> kBoxIds = {166, 165, 168, 164, 167, 135, 170, 169, 136};

    explicit OutputOptionsDialog(const OutputSwitchBlock& switches, QWidget* parent = nullptr);

    // The box of switch i (0..8).
    QCheckBox* box(int i) const { return boxes_[static_cast<std::size_t>(i)]; }
    // The nine switches as the boxes hold them.
    OutputSwitchBlock switches() const;

private:
    void updateDependentBoxes();

    std::array<QCheckBox*, 9> boxes_{};
};

}  // namespace kavro
