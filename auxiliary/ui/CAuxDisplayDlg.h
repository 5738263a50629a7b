#pragma once
// "Auxiliary Parameters" (dialog 121): which channels the auxiliary graph of a
// raw-data-file view plots.
#include <QDialog>
#include <array>

class QCheckBox;

namespace kavro {

class CHKInfo;

class DisplaySelection;

class CAuxDisplayDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 121;
    static constexpr int kFirstBox = 173;  // box 173 + k is channel k

    // The boxes start from the selection; OK sets it from them.  With channel
    // constants, each box bears its channel's label, as the Auxiliary Parameters
    // window and the graph's legend name it.
    explicit CAuxDisplayDlg(DisplaySelection& selection, QWidget* parent = nullptr);
    CAuxDisplayDlg(DisplaySelection& selection, const CHKInfo& channels, QWidget* parent = nullptr);

    QCheckBox* box(int k) const { return boxes_[static_cast<std::size_t>(k)]; }
    void accept() override;

private:
    void build(const CHKInfo* channels);
    DisplaySelection& selection_;
    std::array<QCheckBox*, 8> boxes_{};
};

}  // namespace kavro
