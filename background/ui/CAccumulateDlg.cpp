#include "background/ui/CAccumulateDlg.h"

#include "acquisition/CCommSource.h"
#include "background/BackgroundBuild.h"
#include "background/LiveCollection.h"
#include "background/ui/CBackgroundInfoDlg.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"
#include "resources/BackgroundTexts.h"
#include "resources/CoreTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kavro {

CAccumulateDlg::CAccumulateDlg(BackgroundHost& host, QWidget* parent)
    : QDialog(parent), host_(host), frameCountEdit_(new QLineEdit(this)), framesEdit_(new QLineEdit(this)),
      statusBox_(new QPlainTextEdit(this)), outputEdit_(new QLineEdit(this)),
      browseButton_(new QPushButton(text::kBrowseButton, this)), ascCheck_(new QCheckBox(text::kWriteAscCheck, this)),
      psdCheck_(new QCheckBox(text::kWritePsdCheck, this)),
      collectButton_(new QPushButton(text::kBeginAveraging, this)),
      cancelButton_(new QPushButton(text::kCancelButton, this))
{
    setWindowTitle(text::kAveragingTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    connect(browseButton_, &QPushButton::clicked, this, &CAccumulateDlg::chooseOutputFile);
    connect(collectButton_, &QPushButton::clicked, this, &CAccumulateDlg::beginOrFinish);
    connect(cancelButton_, &QPushButton::clicked, this, &CAccumulateDlg::reject);
    updateCount();
}

void CAccumulateDlg::buildControls()
{
    frameCountEdit_->setReadOnly(true);
    framesEdit_->setText(QString::number(kDefaultFrames));
    statusBox_->setReadOnly(true);
    statusBox_->setFixedHeight(4 * statusBox_->fontMetrics().lineSpacing());
    outputEdit_->setMinimumWidth(260);
    browseButton_->setFixedWidth(32);
    // The .psd box is hidden, so the .psd output stays chosen.
    psdCheck_->setChecked(true);
    psdCheck_->hide();
    for (QPushButton* b : {browseButton_, collectButton_, cancelButton_})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(text::kFrameCountLabel, this), 0, 0);
    grid->addWidget(frameCountEdit_, 0, 1);
    grid->addWidget(new QLabel(text::kFramesToAverageLabel, this), 1, 0);
    grid->addWidget(framesEdit_, 1, 1);
    grid->addWidget(statusBox_, 2, 0, 1, 3);
    grid->addWidget(new QLabel(text::kOutputFileLabel, this), 3, 0);
    grid->addWidget(outputEdit_, 3, 1);
    grid->addWidget(browseButton_, 3, 2);
    grid->addWidget(ascCheck_, 4, 0, 1, 3);
    grid->addWidget(psdCheck_, 5, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(collectButton_);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton_);
    grid->addLayout(buttons, 6, 0, 1, 3);
}

void CAccumulateDlg::chooseOutputFile()
{
    FileDialogRequest request;
    request.title = text::kPsdOutputTitle;
    request.filter = text::kAveragingOutputFilter;
    request.defaultExtension = text::kPsdExtension;
    request.initialDirectory = directoryPart(outputEdit_->text().toStdString());
    request.overwritePrompt = true;
    if (auto chosen = host_.prompter().saveFile(request))
        outputEdit_->setText(QString::fromStdString(*chosen));
}

bool CAccumulateDlg::takeFields()
{
    bool ok = false;
    const int frames = framesEdit_->text().trimmed().toInt(&ok);
    if (!ok) {
        host_.prompter().message(text::kEnterInteger, MessageIcon::Exclamation);
        framesEdit_->setFocus();
        framesEdit_->selectAll();
        return false;
    }
    const std::string output = outputEdit_->text().trimmed().toStdString();
    const bool asc = ascCheck_->isChecked();
    const bool psd = psdCheck_->isChecked();
    // Frames collected for a minute and then written nowhere would be lost work.
    if (output.empty()) {
        host_.prompter().message(text::kAveragingNoOutput, MessageIcon::Exclamation);
        outputEdit_->setFocus();
        return false;
    }
    // The average must not replace a file the instrument is being recorded to.
    auto* source = dynamic_cast<CRawSource*>(&host_.source());
    const std::string ascPath = removeExtension(output) + ".asc";
    const std::string clash = !source                     ? std::string()
                              : psd && source->writesTo(output)   ? output
                              : asc && source->writesTo(ascPath) ? ascPath
                                                                 : std::string();
    if (!clash.empty()) {
        host_.prompter().message(text::kAveragingOutputInUse + clash, MessageIcon::Exclamation);
        return false;
    }
    // Told now, not after the frames have been collected for nothing.
    for (const std::string& path : {psd ? output : std::string(), asc ? ascPath : std::string()}) {
        const std::string why = path.empty() ? std::string() : whyNotWritable(path);
        if (!why.empty()) {
            host_.prompter().message(text::kAveragingCannotWrite + path + ": " + why, MessageIcon::Exclamation);
            outputEdit_->setFocus();
            return false;
        }
    }
    framesToAverage_ = frames;
    output_ = output;
    writeAsc_ = asc;
    writePsd_ = psd;
    return true;
}

void CAccumulateDlg::setFieldsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ascCheck_, framesEdit_, outputEdit_, browseButton_})
        w->setEnabled(enabled);
}

void CAccumulateDlg::beginOrFinish()
{
    if (collecting_)
        finish();
    else
        begin();
}

void CAccumulateDlg::begin()
{
    if (!takeFields())
        return;
    try {
        host_.collection().begin(LiveCollection::Purpose::Averaging, dynamic_cast<CCommSource*>(&host_.source()),
                                 host_.settings(), host_.prompter());
    } catch (const UserAbort&) {
        return;  // the factory file could not be read (told); the window stays idle
    }
    collecting_ = true;
    setFieldsEnabled(false);
    host_.setAveraging(true);
    host_.collectionBegins(kCollectingInterval);
    statusBox_->clear();
    host_.collectionChanged();
    updateCount();
}

void CAccumulateDlg::updateCount()
{
    const bool ours = host_.collection().purpose() == LiveCollection::Purpose::Averaging;
    const int count = ours ? host_.collection().recordCount() : 0;
    frameCountEdit_->setText(QString::number(count));
    if (collecting_ && count >= framesToAverage_) {
        finish();
        return;
    }
    showCollectionState();
}

void CAccumulateDlg::finish(bool cancelled)
{
    collecting_ = false;
    std::unique_ptr<CScatterAccumulator> accumulator = host_.collection().end();
    host_.collectionEnds();
    auto* source = dynamic_cast<CRawSource*>(&host_.source());
    if (accumulator && source) {
        const AveragingResult result = finishAveraging(*accumulator, *source, output_, writePsd_, writeAsc_);
        statusBox_->setPlainText(CBackgroundInfoDlg::displayText(result.status));
        if (cancelled && result.written)
            tellCancelled(result.frames);
    }
    host_.setAveraging(false);
    accumulator.reset();
    host_.refreshView();
    setFieldsEnabled(true);
    host_.collectionChanged();
    updateCount();
}

void CAccumulateDlg::showCollectionState()
{
    const LiveCollection::Purpose purpose = host_.collection().purpose();
    collectButton_->setText(collecting_ ? text::kFinishAveraging : text::kBeginAveraging);
    // A background collection of the Rings window must end before this one begins.
    collectButton_->setEnabled(collecting_ || purpose == LiveCollection::Purpose::None);
}

void CAccumulateDlg::tellCancelled(int frames)
{
    std::string files;
    if (writePsd_)
        files = output_;
    if (writeAsc_)
        files += (files.empty() ? "" : text::kAveragingFilesAnd) + removeExtension(output_) + ".asc";
    const std::string n = std::to_string(frames);
    host_.prompter().message(text::kAveragingCancelledAfter + n + text::kAveragingCancelledOf +
                                 std::to_string(framesToAverage_) + text::kAveragingCancelledFrames + n +
                                 text::kAveragingWrittenTo + files + ".",
                             MessageIcon::Information);
}

void CAccumulateDlg::reject()
{
    if (collecting_)
        finish(true);
    QDialog::reject();
}

}  // namespace kavro
