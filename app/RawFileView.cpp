#include "app/RawFileView.h"

#include "acquisition/CRawFile.h"
#include "acquisition/RawCastScan.h"
#include "app/CFrameSelectBar.h"
#include "app/CKavroApp.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewPanel.h"
#include "app/CommandTable.h"
#include "app/RawFileLayout.h"
#include "app/RawViewHooks.h"
#include "app/SizeDistributionLayout.h"
#include "auxiliary/ui/CAuxParamDlg.h"
#include "platform/FileUtil.h"
#include "platform/Prompter.h"
#include "plots/CTextWnd.h"
#include "products/LiveCast.h"
#include "resources/AppTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <thread>

namespace kavro {
namespace {

// The progress of Process File: it holds the program (application-modal) while
// the range runs, and neither Escape nor its close button ends it.
class ProcessProgress : public QProgressDialog {
public:
    ProcessProgress(int frames, QWidget* parent) : QProgressDialog(parent)
    {
        setWindowTitle(QString::fromUtf8(text::kProcessFileButton));
        setLabelText(QString::fromUtf8(text::kProcessingButton));
        setCancelButton(nullptr);
        setWindowModality(Qt::ApplicationModal);
        setRange(0, std::max(frames, 1));
        setMinimumDuration(0);
        setAutoClose(false);
        setAutoReset(false);
        setValue(0);
    }
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

int processingThreads()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

RawFileView::RawFileView(CKavroView& view, CRawFile& source)
    : QObject(&view), view_(view), source_(source), bar_(new CFrameSelectBar(view.app().prompter()))
{
    setObjectName("RawFileView");
    view_.frame().dockBar(bar_);
    layout_ = std::make_unique<RawFileLayout>(view_.canvas(), source_, view_.app().settings().display, *this);
    layout_->build();
    view_.frame().fitViewClient(QSize(RawFileLayout::kClientWidth, RawFileLayout::kClientHeight));
    view_.setArrangement(QSize(RawFileLayout::kClientWidth, RawFileLayout::kClientHeight), RawFileLayout::plotRows(),
                         bar_);

    connect(bar_, &CFrameSelectBar::command, &view_, [this](int id) { view_.onCommand(id); });
    connect(bar_, &CFrameSelectBar::selectFirstClicked, this, [this] {
        if (!processing_)
            graph()->SelectFirst();
    });
    connect(bar_, &CFrameSelectBar::selectLastClicked, this, [this] {
        if (!processing_)
            graph()->SelectLast();
    });
    connect(bar_, &CFrameSelectBar::processClicked, this, [this] { processFile(); });
}

// The scan (a thread with its own copies) is stopped and waited for.
RawFileView::~RawFileView() = default;

RawFileView* RawFileView::of(const CKavroView& view)
{
    return view.findChild<RawFileView*>(QString(), Qt::FindDirectChildrenOnly);
}

bool RawFileView::sourceOpen() const
{
    return source_.isOpen();
}

CHKGraphWnd* RawFileView::graph() const
{
    return layout_->graph();
}

void RawFileView::page(int commandId)
{
    if (processing_)
        return;
    CHKGraphWnd* g = graph();
    if (commandId == cmd::GoToFirst)
        g->FirstPage();
    else if (commandId == cmd::GoToPrev)
        g->PreviousPage();
    else if (commandId == cmd::GoToNext)
        g->NextPage();
    else if (commandId == cmd::GoToLast)
        g->LastPage();
}

void RawFileView::selectionChanged()
{
    layout_->buildLegend();
    graph()->update();
    view_.canvas()->update();
}

void RawFileView::setCursorFrame(int frame)
{
    bar_->setCurrentFrame(frame);
    if (panel_)
        panel_->setCurrentFrame(frame);
}

bool RawFileView::fillOverview(CastOverviewPanel& panel)
{
    if (panel.hasCast())
        return true;
    if (source_.keptRecords().empty())
        return false;
    panel_ = &panel;
    scan_ = std::make_unique<RawCastScan>(source_);
    panel.startScan(liveCastSource(source_, view_.instrumentModel()), scan_->total());
    panel.setCurrentFrame(graph()->cursorFrame());
    // The window takes what is done ten times a second: a long recording fills the
    // picture from the left while the window answers as usual.
    scanTimer_ = new QTimer(this);
    connect(scanTimer_, &QTimer::timeout, this, &RawFileView::takeScanned);
    scanTimer_->start(100);
    scan_->start();
    return true;
}

void RawFileView::takeScanned()
{
    if (!scan_)
        return;
    std::vector<OutputRecord> batch;
    scan_->take(batch);
    // Ended with everything taken: the last batch is in hand.
    const bool finished = scan_->finished();
    if (panel_)
        panel_->appendScanned(batch);
    if (!finished)
        return;
    if (panel_)
        panel_->endScan(scan_->error());
    scanTimer_->stop();
    scan_.reset();
}

void RawFileView::goToFrame(int frame)
{
    if (!processing_)
        graph()->ShowFrame(frame);
}

void RawFileView::setSelection(int first, int last)
{
    bar_->setSelection(first, last);
}

void RawFileView::selectFirst(int frame)
{
    bar_->selectFirst(frame);
}

void RawFileView::selectLast(int frame)
{
    bar_->selectLast(frame);
}

void RawFileView::pageShown(int first, int last)
{
    layout_->showPage(first, last);
}

void RawFileView::frameReported(int frame, const FrameSummary& record)
{
    if (CAuxParamDlg* aux = auxWindowOf(view_))
        aux->ShowRecord(record, frame);
    // The rings window reads the records kept at the open, never the source's file.
    if (!processing_)
        view_.app().hooks().graphFrameReported(view_, frame);
}

void RawFileView::processFile()
{
    if (!processPending_ || processing_)
        return;
    std::optional<std::pair<int, int>> range = bar_->rangeForProcessing(source_.recordCount());
    if (!range)
        return;  // told by the bar; the file can still be processed
    processPending_ = false;
    processing_ = true;
    view_.setBusy(true);
    QPushButton* button = bar_->button(CFrameSelectBar::kProcessButton);
    button->setText(QString::fromUtf8(text::kProcessingButton));
    button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    const auto [first, last] = *range;
    source_.setFrameRange(first, last);
    source_.rewind();
    const long long available = std::min<long long>(last, source_.recordCount() - 1L) - first + 1;
    ProcessProgress progress(static_cast<int>(std::clamp<long long>(available, 0, INT_MAX)), view_.window());
    int processed = 0;
    try {
        processed = source_.processRange(processingThreads(), [&](int done) { return processBlock(done, progress); });
    } catch (...) {
        // A failure has been told by the source; what was written stays and the files are closed.
    }
    progress.hide();
    finishProcessing(processed);
}

bool RawFileView::processBlock(int framesDone, QProgressDialog& progress)
{
    CTextWnd* label = layout_->frameLabel();
    label->SetText(SizeDistributionLayout::frameText(source_.frameNumber()));
    label->repaint();
    progress.setValue(std::min(framesDone, progress.maximum()));
    // The program stays drawn and its progress shown; the modal progress keeps
    // every command away until the range is done.
    QCoreApplication::processEvents();
    if (observer_)
        observer_(framesDone);
    return true;
}

void RawFileView::finishProcessing(int processed)
{
    bar_->button(CFrameSelectBar::kProcessButton)
        ->setText(QString::fromUtf8(processed > 0 ? text::kFinishedButton : text::kNothingProcessedButton));
    CTextWnd* label = layout_->frameLabel();
    label->SetText(text::kBlankFrameLabel);
    label->repaint();
    // Closing completes the result files.
    const std::vector<std::string> files = source_.outputPaths();
    source_.close();
    if (processed > 0 && view_.app().mainFrame())
        view_.app().mainFrame()->tell(text::kProcessed + std::to_string(processed) +
                                      (processed == 1 ? text::kProcessedFrameInto : text::kProcessedFramesInto) +
                                      fileListText(files));
    processing_ = false;
    view_.setBusy(false);
    QApplication::restoreOverrideCursor();
    if (processed <= 0)
        view_.app().prompter().message(text::kNothingProcessed, MessageIcon::Exclamation);
}

}  // namespace kavro
