#include "app/CKavroView.h"

#include "acquisition/CCommSource.h"
#include "app/CAnimationBar.h"
#include "app/CKavroApp.h"
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewPanel.h"
#include "app/CastOverviewWindow.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/InstrumentStatus.h"
#include "app/ShellLook.h"
#include "app/SizeDistributionLayout.h"
#include "app/ViewPrinter.h"
#include "core/CDataSource.h"
#include "core/CPDFile.h"
#include "core/Constants.h"
#include "core/FrameTimes.h"
#include "core/HeldFrameSource.h"
#include "platform/FileUtil.h"
#include "platform/Profile.h"
#include "products/CastExport.h"
#include "products/LiveCast.h"
#include "resources/AppTexts.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QCoreApplication>
#include <QResizeEvent>
#include <QShortcut>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kavro {
namespace {

// Milliseconds the banner says that the instrument is back.
constexpr int kBackBannerMs = 15000;

}  // namespace

CKavroView::CKavroView(CKavroApp& app, CKavroDoc& document, CKavroFrame& frame)
    : app_(app), document_(document), frame_(frame), canvas_(new ArrangementCanvas)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setWidget(canvas_);
    document_.setView(this);
}

CKavroView::~CKavroView()
{
    document_.setView(nullptr);
    if (navigator_)
        navigator_->stop();
    if (auto* instrument = dynamic_cast<CCommSource*>(source_)) {
        instrument->setWaitListener(nullptr);
        instrument->setRecordListener(nullptr);
    }
    if (source_) {
        try {
            // The instrument's close first writes the complete frames already received.
            source_->close();
        } catch (...) {
            // Closing tells its own failures; the window goes regardless.
        }
    }
}

bool CKavroView::create(const OpenRequest& request)
{
    try {
        source_ = &document_.createDataSource(request);
        return true;
    } catch (...) {
        // A cancel, or a failure the source has told already: nothing opens.
        return false;
    }
}

int CKavroView::sourceKind() const
{
    return source_ ? source_->sourceKind() : kKindNone;
}

int CKavroView::instrumentModel() const
{
    return document_.instrumentModel();
}

void CKavroView::setExtent(QSize extent)
{
    extent_ = extent;
    fitCanvas();
}

int CKavroView::fillingWidth(int height) const
{
    // What the view has around its viewport (a scroll bar) comes on top.
    const int around = width() - viewport()->width();
    return canvas_->fillingWidth(height - (this->height() - viewport()->height())) + std::max(0, around);
}

void CKavroView::setArrangement(QSize client, std::vector<ArrangementScale::Rows> plotRows, const QWidget* bar)
{
    // The frame is never narrower than its bar: that window is the laid-out one.
    const int width = std::max(client.width(), bar ? bar->sizeHint().width() : 0);
    canvas_->setArrangement(client, std::move(plotRows), QSize(width, client.height()));
    fitCanvas();
}

void CKavroView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    fitCanvas();
    placeLinkBanner();
}

void CKavroView::placeLinkBanner()
{
    if (!linkBanner_)
        return;
    // The banner takes a strip above the view's contents, so that it hides nothing.
    const int height = linkBanner_->isVisible() ? linkBanner_->heightForWidth(width()) : 0;
    const int strip = std::max(height, linkBanner_->isVisible() ? linkBanner_->sizeHint().height() : 0);
    if (viewportMargins().top() != strip)
        setViewportMargins(0, strip, 0, 0);
    linkBanner_->setGeometry(0, 0, width(), strip);
    linkBanner_->raise();
}

void CKavroView::updateLinkBanner()
{
    auto* instrument = dynamic_cast<CCommSource*>(source_);
    if (!instrument)
        return;
    if (!linkBanner_) {
        linkBanner_ = new QFrame(this);
        linkBanner_->setAutoFillBackground(true);
        auto* row = new QHBoxLayout(linkBanner_);
        row->setContentsMargins(10, 6, 10, 6);
        linkBannerText_ = new QLabel(linkBanner_);
        QFont font = linkBannerText_->font();
        font.setPointSizeF(font.pointSizeF() * 1.3);
        font.setBold(true);
        linkBannerText_->setFont(font);
        linkBannerText_->setWordWrap(true);
        auto* now = new QPushButton(QString::fromUtf8(text::kReconnectNow), linkBanner_);
        now->setObjectName("reconnectNow");
        connect(now, &QPushButton::clicked, this, [this, instrument] {
            if (busy_)
                return;
            instrument->reconnect(true);
            updateLinkBanner();
        });
        row->addWidget(linkBannerText_, 1);
        row->addWidget(now);
    }
    const bool lost = instrument->linkLost();
    QPalette palette = linkBanner_->palette();
    palette.setColor(QPalette::Window, lost ? QColor(178, 34, 34) : QColor(0, 110, 60));
    palette.setColor(QPalette::WindowText, Qt::white);
    linkBanner_->setPalette(palette);
    linkBannerText_->setText(QString::fromStdString(instrument->linkNote()));
    linkBanner_->findChild<QPushButton*>("reconnectNow")->setVisible(lost);
    linkBanner_->setVisible(!instrument->linkNote().empty());
    placeLinkBanner();
    if (!lost) {
        // The return is said for a while, then the banner goes.
        QTimer::singleShot(kBackBannerMs, linkBanner_, [this, instrument] {
            if (!instrument->linkLost() && linkBanner_) {
                linkBanner_->hide();
                placeLinkBanner();
            }
        });
    }
}

bool CKavroView::viewportEvent(QEvent* event)
{
    // Scroll bars that come or go change the viewport without resizing the view.
    const bool handled = QScrollArea::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        fitCanvas();
    return handled;
}

void CKavroView::fitCanvas()
{
    // The arrangement follows the view's own viewport (not its frame's), so that
    // whatever stands beside the view in the frame takes its share first.
    const QSize client = viewport()->size();
    QSize content = extent_;
    if (canvas_->hasArrangement()) {
        canvas_->setScale(canvas_->scaleFor(client));
        content = canvas_->scaledExtent();
    }
    // Scroll bars appear only when the window is smaller than the content, and
    // everything beyond the content stays visible in a larger one.
    const QSize size(std::max(content.width(), client.width()), std::max(content.height(), client.height()));
    if (canvas_->size() != size)
        canvas_->resize(size);
}

void CKavroView::initialUpdate()
{
    paintLightGrey(viewport());
    paintLightGrey(canvas_);
    installFrameKeys();
    if (sourceKind() == kKindRawFile) {
        setExtent(QSize(100, 100));
        app_.hooks().buildRawFileLayout(*this);
        buildOverviewPanel();
        return;
    }
    setExtent(QSize(CKavroDoc::kDocumentWidth, CKavroDoc::kDocumentHeight));
    buildSizeDistributionView();
}

void CKavroView::buildSizeDistributionView()
{
    const int kind = sourceKind();
    sizeLayout_ = std::make_unique<SizeDistributionLayout>(canvas_, *source_, app_.settings(), instrumentModel());
    sizeLayout_->build();
    auto* bar = new CAnimationBar(kind == kKindInstrument ? CAnimationBar::kInstrumentBar : CAnimationBar::kFileBar);
    frame_.setAnimationBar(bar);
    // An instrument window says in large letters whether it records.
    QLabel* band = kind == kKindInstrument ? InstrumentStatus::makeIndicator() : nullptr;
    if (band)
        frame_.dockBand(band);
    buildOverviewPanel();
    const QSize client(SizeDistributionLayout::kClientWidth, SizeDistributionLayout::kClientHeight);
    frame_.fitViewClient(client);
    setArrangement(client, SizeDistributionLayout::plotRows(), bar);

    source_->rewind();
    sizeLayout_->showFrameTexts();

    navigator_ = new FrameNavigator(*source_, [this] { refresh(); }, this);
    navigator_->setBar(bar);
    navigator_->setUp(kind);
    // A tick is dropped while a view waits for its instrument.
    navigator_->setMayStep([this] { return !app_.mainFrame() || !app_.mainFrame()->anyViewBusy(); });
    if (auto* instrument = dynamic_cast<CCommSource*>(source_)) {
        buildInstrumentStatus(*instrument);
        status_->setIndicator(band);
    }
    connect(bar, &CAnimationBar::command, this, [this](int id) { onCommand(id); });
    connect(bar, &CAnimationBar::intervalChosen, navigator_, &FrameNavigator::setInterval);
}

void CKavroView::buildInstrumentStatus(CCommSource& instrument)
{
    status_ = std::make_unique<InstrumentStatus>(canvas_, instrument, app_.settings().commWait);
    // The animation goes on at its pace through requests without a frame; only an
    // instrument that has gone away ends it.
    navigator_->setGoesOnWithoutFrame([] { return true; });
    instrument.setWaitListener([this](int seconds) { whileWaiting(seconds); });
    // A line that goes away is waited for: the cast stays open, each tick looks for the
    // device, and the window says what became of it without a box that blocks.
    instrument.setLinkListener([this](const std::string& note) {
        (void)note;
        if (status_)
            status_->showExchange();
        updateLinkBanner();
    });
    // Between the timer's requests the line is read every 50 ms, so that a reply
    // that comes after its request stopped waiting is stamped when it came.
    auto* linePoll = new QTimer(this);
    connect(linePoll, &QTimer::timeout, this, [this, &instrument] {
        if (navigator_ && navigator_->running() && !busy_)
            instrument.pollLine();
    });
    linePoll->start(50);
    navigator_->setRunningListener([this](bool running) { status_->setRunning(running); });
    // The band's clock goes on between the requests, whatever the interval.
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] {
        if (navigator_ && navigator_->running())
            status_->showRecording();
    });
    clock->start(1000);
}

void CKavroView::whileWaiting(int secondsWaited)
{
    if (status_)
        status_->showWaiting(secondsWaited);
    // Single-threaded: the wait runs inside a command or a tick.  Paint and window
    // system events are handled, so the program stays drawn and answers the desktop;
    // the user's input waits until the reply is in, and the busy view refuses
    // commands, closing and other views' ticks meanwhile.
    const bool wasBusy = busy_;
    busy_ = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    busy_ = wasBusy;
}

void CKavroView::refresh()
{
    if (sizeLayout_) {
        sizeLayout_->redrawPlots();
        sizeLayout_->showFrameTexts();
    }
    if (overview_)
        overview_->followView();
    if (panel_ && sourceKind() == kKindPsdFile)
        panel_->setCurrentFrame(source_->frameNumber());
    if (status_) {
        status_->showExchange();
        status_->showRecording();
    }
    try {
        app_.hooks().frameChanged(*this);
    } catch (...) {
        // A companion window that cannot show the frame does not stop the view.
    }
}

void CKavroView::onCommand(int id)
{
    if (busy_)
        return;
    try {
        viewCommand(id);
    } catch (...) {
        // A source or window that failed has told the user itself; the view goes on.
    }
}

void CKavroView::viewCommand(int id)
{
    switch (id) {
    case cmd::ShowFrameSequence:
        if (navigator_)
            navigator_->toggle();
        break;
    case cmd::GoToFirst:
    case cmd::GoToPrev:
    case cmd::GoToNext:
    case cmd::GoToLast:
        frameCommand(id);
        break;
    case cmd::GoToFrame:
        goToFrame();
        break;
    case cmd::CastOverview:
        toggleOverviewPanel();
        break;
    case cmd::CastOverviewWindow:
        showCastOverview();
        break;
    case cmd::Print:
        print();
        break;
    case cmd::PrintPreview:
        printPreview();
        break;
    case cmd::ExportData:
        if (sourceKind() == kKindPsdFile) {
            std::string written;
            exportWithDialog(
                source_->sourceName(), app_.prompter(), app_.settings(), app_.profile(),
                [](bool busy) {
                    if (busy)
                        QApplication::setOverrideCursor(Qt::WaitCursor);
                    else
                        QApplication::restoreOverrideCursor();
                },
                &written);
            if (!written.empty() && app_.mainFrame())
                app_.mainFrame()->tell(text::kExported + written);
        }
        break;
    default:
        companionCommand(id);
        break;
    }
}

void CKavroView::frameCommand(int id)
{
    if (sourceKind() == kKindRawFile) {
        app_.hooks().rawFilePage(*this, id);
        return;
    }
    if (!navigator_)
        return;
    if (id == cmd::GoToFirst)
        navigator_->first();
    else if (id == cmd::GoToPrev)
        navigator_->previous();
    else if (id == cmd::GoToNext)
        navigator_->next();
    else
        navigator_->last();
}

void CKavroView::installFrameKeys()
{
    struct Key {
        int key;
        int delta;  // 0: Home or End
        bool last;
    };
    for (Key k : {Key{Qt::Key_Left, -1, false}, Key{Qt::Key_Up, -1, false}, Key{Qt::Key_Right, 1, false},
                  Key{Qt::Key_Down, 1, false}, Key{Qt::Key_PageUp, -10, false}, Key{Qt::Key_PageDown, 10, false},
                  Key{Qt::Key_Home, 0, false}, Key{Qt::Key_End, 0, true}}) {
        auto* shortcut = new QShortcut(QKeySequence(k.key), &frame_);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, k] {
            if (busy_)
                return;
            try {
                if (k.delta != 0)
                    stepFrames(k.delta);
                else
                    endFrame(k.last);
            } catch (...) {
                // A source that failed has told the user; the view goes on.
            }
        });
    }
}

void CKavroView::stepFrames(int delta)
{
    const int kind = sourceKind();
    if (kind == kKindRawFile) {
        app_.hooks().rawFilePage(*this, delta < 0 ? cmd::GoToPrev : cmd::GoToNext);
    } else if (kind == kKindInstrument) {
        // The instrument's frames are looked back at in the cast so far.
        if (panel_)
            panel_->step(delta);
    } else if (navigator_ && source_) {
        const auto* psd = dynamic_cast<const CPDFile*>(source_);
        const int last = psd ? psd->recordCount() - psd->headerRecordCount() - 1 : INT_MAX;
        const long long to = std::clamp<long long>(static_cast<long long>(source_->frameNumber()) + delta, 0, std::max(0, last));
        navigator_->goTo(static_cast<int>(to));
    }
}

void CKavroView::endFrame(bool last)
{
    const int kind = sourceKind();
    if (kind == kKindInstrument) {
        if (panel_ && last)
            panel_->follow();
        else if (panel_ && panel_->liveCast() && !panel_->liveCast()->empty())
            panel_->hold(0);
        return;
    }
    frameCommand(last ? cmd::GoToLast : cmd::GoToFirst);
}

void CKavroView::goToFrame()
{
    if (sourceKind() != kKindPsdFile || !navigator_)
        return;
    const auto* psd = dynamic_cast<const CPDFile*>(source_);
    const int last = psd ? psd->recordCount() - psd->headerRecordCount() - 1 : -1;
    // The dialog opens at the frame shown.
    if (std::optional<int> frame = app_.dialogs().askFrameNumber(last, source_->frameNumber()))
        navigator_->goTo(*frame);
}

CastOverviewWindow* CKavroView::castOverview() const
{
    return overview_;
}

void CKavroView::showCastOverview()
{
    if (sourceKind() != kKindPsdFile)
        return;
    if (!overview_) {
        try {
            overview_ = new CastOverviewWindow(*this);
        } catch (const std::exception& e) {
            app_.prompter().message(std::string(text::kCastUnreadable) + e.what(), MessageIcon::Exclamation);
            return;
        }
    }
    overview_->show();
    overview_->raise();
    overview_->activateWindow();
}

void CKavroView::buildOverviewPanel()
{
    const int kind = sourceKind();
    if (kind != kKindInstrument && kind != kKindPsdFile && kind != kKindRawFile)
        return;
    panel_ = new CastOverviewPanel;
    panel_->hide();
    frame_.setOverviewPanel(panel_);
    if (auto* instrument = dynamic_cast<CCommSource*>(source_)) {
        panel_->startLive(liveCastSource(*instrument, instrumentModel()));
        // Every frame taken, several in one request too, whether it is recorded or not.
        instrument->setRecordListener([this, instrument](const OutputRecord& record, int frameNumber) {
            panel_->append(record, frameNumber, &instrument->frameWords());
        });
        connect(panel_, &CastOverviewPanel::heldChanged, this, &CKavroView::showHeldFrame);
    } else {
        connect(panel_, &CastOverviewPanel::frameClicked, this, [this](long long frame) {
            const int n = static_cast<int>(std::clamp<long long>(frame, 0, INT_MAX));
            if (navigator_)
                navigator_->goTo(n);
            else if (sourceKind() == kKindRawFile)
                app_.hooks().rawFileGoTo(*this, n);
        });
    }
    // Live windows show the panel unless the user hid it; files show it when asked.
    const bool live = kind == kKindInstrument;
    if (app_.profile().readInt(text::kCastPanelSection, panelProfileKey(), live ? 1 : 0) != 0 &&
        (live || fillFilePanel()))
        frame_.setOverviewShown(true);
}

const char* CKavroView::panelProfileKey() const
{
    const int kind = sourceKind();
    return kind == kKindInstrument ? text::kCastPanelLiveKey
                                   : kind == kKindRawFile ? text::kCastPanelRawKey : text::kCastPanelFileKey;
}

bool CKavroView::fillFilePanel()
{
    if (!panel_)
        return false;
    if (panel_->hasCast())
        return true;
    // A raw recording's frames are processed for it in the background.
    if (sourceKind() == kKindRawFile)
        return app_.hooks().fillRawFileOverview(*this, *panel_);
    const auto* file = dynamic_cast<const CPDFile*>(source_);
    if (!file)
        return false;
    try {
        panel_->showFile(CastOverviewWindow::summaryOf(*file));
    } catch (const std::exception& e) {
        app_.prompter().message(std::string(text::kCastUnreadable) + e.what(), MessageIcon::Exclamation);
        return false;
    }
    panel_->setCurrentFrame(source_->frameNumber());
    return true;
}

void CKavroView::toggleOverviewPanel()
{
    if (panel_)
        setOverviewPanelShown(!frame_.overviewShown());
}

void CKavroView::setOverviewPanelShown(bool shown)
{
    if (!panel_ || (shown && sourceKind() != kKindInstrument && !fillFilePanel()))
        return;
    frame_.setOverviewShown(shown);
    app_.reportProfileWrite(app_.profile().writeString(text::kCastPanelSection, panelProfileKey(), shown ? "1" : "0"));
}

void CKavroView::showHeldFrame(std::optional<long long> place)
{
    if (!sizeLayout_ || !panel_)
        return;
    const LiveCast* cast = panel_->liveCast();
    if (place && cast && *place < cast->size()) {
        if (!held_)
            held_ = std::make_unique<HeldFrameSource>(*source_);
        held_->hold(cast->record(*place), cast->frameNumber(*place), cast->words(*place));
        sizeLayout_->showSource(*held_);
    } else {
        sizeLayout_->showSource(*source_);
    }
    sizeLayout_->redrawPlots();
    sizeLayout_->showFrameTexts();
    // The auxiliary and Rings windows show what the plots show.
    try {
        app_.hooks().frameChanged(*this);
    } catch (...) {
        // A companion window that cannot show the frame does not stop the view.
    }
}

const HeldFrameSource* CKavroView::heldFrame() const
{
    return panel_ && panel_->heldPlace() && held_ ? held_.get() : nullptr;
}

bool CKavroView::printPage(QPrinter& printer)
{
    return ViewPrinter::printPage(canvas_, printer, printCaption());
}

std::string CKavroView::printCaption() const
{
    if (!source_)
        return std::string();
    const auto* instrument = dynamic_cast<const CCommSource*>(source_);
    // A live window is named by the file it records to; its time file is its own.
    const std::string path = instrument ? (instrument->recording() ? instrument->outputPaths().front() : std::string())
                                        : source_->sourceName();
    const std::string timePath = instrument ? instrument->timeStampPath()
                                 : sourceKind() == kKindPsdFile ? frameTimesPathFor(path) : std::string();
    std::optional<int> frame;
    if (sizeLayout_ && sizeLayout_->shownSource().holdsFrame())
        frame = sizeLayout_->shownSource().frameNumber();
    double utc = std::nan("");
    FrameTimes times;
    std::string error;
    if (frame && !timePath.empty() && readFrameTimes(timePath, times, error))
        utc = times.utcOfRecord(*frame);
    const std::string name = path.empty() ? document_.title() : fileNamePart(path);
    return ViewPrinter::captionText(name, frame, utc, QDateTime::currentMSecsSinceEpoch() / 1000.0);
}

std::function<void()> CKavroView::keepFrameStill()
{
    if (sourceKind() == kKindInstrument) {
        if (panel_ && panel_->following() && panel_->holdShown())
            return [panel = QPointer<CastOverviewPanel>(panel_)] {
                if (panel)
                    panel->follow();
            };
        return [] {};
    }
    if (navigator_ && navigator_->running()) {
        navigator_->stop();
        return [navigator = QPointer<FrameNavigator>(navigator_)] {
            if (navigator && !navigator->running())
                navigator->toggle();
        };
    }
    return [] {};
}

void CKavroView::print()
{
    QPrinter& printer = app_.printer();
    const std::function<void()> giveBack = keepFrameStill();
    if (app_.dialogs().askPrint(printer) && !printPage(printer))
        app_.prompter().message(text::kPrintFailed, MessageIcon::Exclamation);
    giveBack();
}

void CKavroView::printPreview()
{
    // The preview and the page printed from it show the same frame.
    const std::function<void()> giveBack = keepFrameStill();
    app_.dialogs().showPrintPreview(app_.printer(), [this](QPrinter& p) { printPage(p); });
    giveBack();
}

void CKavroView::companionCommand(int id)
{
    CommandHooks& hooks = app_.hooks();
    try {
        switch (id) {
        case cmd::AccumulateAverage:
            hooks.accumulateAndAverage(*this);
            break;
        case cmd::AuxParameterFrame:
            hooks.showAuxiliaryParameterFrame(*this);
            break;
        case cmd::ViewRings:
            hooks.viewRings(*this);
            break;
        case cmd::SizeDistributionDisplay:
            hooks.sizeDistributionDisplay(*this);
            break;
        case cmd::AuxParameterDisplay:
            hooks.auxiliaryParameterDisplay(*this);
            break;
        case cmd::ShowBuffer:
            hooks.showBuffer(*this);
            break;
        case cmd::SendCommand:
            hooks.sendCommand(*this);
            break;
        default:
            break;
        }
    } catch (...) {
        // A companion window that could not be made leaves the command without effect.
    }
}

}  // namespace kavro
