#include "app/OutputOptionsDialog.h"

#include "app/ShellLook.h"
#include "resources/AppTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kavro {
namespace {

// Switch numbers with a meaning of their own here.
constexpr int kInstrumentAsc = 0;
constexpr int kInstrumentRaw = 3;
constexpr int kInstrumentVsf = 4;
constexpr int kRawFileAsc = 5;
constexpr int kRawFilePsd = 7;
constexpr int kRawFileVsf = 8;

}  // namespace

OutputOptionsDialog::OutputOptionsDialog(const OutputSwitchBlock& switches, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(text::kOutputOptionsTitle);
    auto* content = new QVBoxLayout;
    QVBoxLayout* group = nullptr;
    for (int i = 0; i < 9; ++i) {
        if (i == 0 || i == kRawFileAsc) {
            auto* box = new QGroupBox(QString::fromUtf8(i == 0 ? text::kRealtimeGroup : text::kRawFileGroup), this);
            group = new QVBoxLayout(box);
            content->addWidget(box);
        }
        auto* b = new QCheckBox(QString::fromUtf8(text::kOutputBox[i]), this);
        b->setChecked(switches.value[i] != 0);
        group->addWidget(b);
        boxes_[static_cast<std::size_t>(i)] = b;
    }
    auto* note = new QLabel(QString::fromUtf8(text::kOutputNote), this);
    note->setWordWrap(true);
    content->addWidget(note);
    addOkCancel(*this, content);

    // The instrument's binary raw data file is never made.
    box(kInstrumentRaw)->setChecked(false);
    box(kInstrumentRaw)->setEnabled(false);
    box(kRawFilePsd)->setEnabled(false);
    updateDependentBoxes();
    connect(box(kInstrumentAsc), &QCheckBox::clicked, this, [this] { updateDependentBoxes(); });
    connect(box(kRawFileAsc), &QCheckBox::clicked, this, [this] { updateDependentBoxes(); });
}

void OutputOptionsDialog::updateDependentBoxes()
{
    // A disabled VSF box keeps its check mark.
    box(kInstrumentVsf)->setEnabled(box(kInstrumentAsc)->isChecked());
    box(kRawFileVsf)->setEnabled(box(kRawFileAsc)->isChecked());
}

OutputSwitchBlock OutputOptionsDialog::switches() const
{
    OutputSwitchBlock block;
    for (int i = 0; i < 9; ++i)
        block.value[i] = box(i)->isChecked() ? 1 : 0;
    return block;
}

}  // namespace kavro
