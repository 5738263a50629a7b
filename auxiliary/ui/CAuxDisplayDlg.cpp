#include "auxiliary/ui/CAuxDisplayDlg.h"

#include "auxiliary/CHKInfo.h"
#include "resources/AuxTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kavro {

CAuxDisplayDlg::CAuxDisplayDlg(DisplaySelection& selection, QWidget* parent) : QDialog(parent), selection_(selection)
{
    build(nullptr);
}

CAuxDisplayDlg::CAuxDisplayDlg(DisplaySelection& selection, const CHKInfo& channels, QWidget* parent)
    : QDialog(parent), selection_(selection)
{
    build(&channels);
}

void CAuxDisplayDlg::build(const CHKInfo* channels)
{
    setWindowTitle(text::kAuxDisplayTitle);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QString::fromUtf8(text::kAuxDisplayText1), this));
    column->addWidget(new QLabel(QString::fromUtf8(text::kAuxDisplayText2), this));
    for (int k = 0; k < kAuxChannels; ++k) {
        const HKChannel* channel = channels ? channels->Channel(k) : nullptr;
        auto* b = new QCheckBox(channel ? QString::fromStdString(channel->label)
                                        : QString::fromUtf8(DisplaySelection::ShownLabel(k)),
                                this);
        b->setChecked(selection_.IsShown(k) != 0);
        column->addWidget(b);
        boxes_[static_cast<std::size_t>(k)] = b;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

void CAuxDisplayDlg::accept()
{
    for (int k = 0; k < kAuxChannels; ++k)
        selection_.SetShown(k, boxes_[static_cast<std::size_t>(k)]->isChecked() ? 1 : 0);
    QDialog::accept();
}

}  // namespace kavro
