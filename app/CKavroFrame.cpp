#include "app/CKavroFrame.h"

#include "app/CKavroApp.h"
#include "app/CMainFrame.h"

#include "app/CAnimationBar.h"
#include "app/CKavroDoc.h"
#include "app/CKavroView.h"
#include "app/CastOverviewPanel.h"
#include "platform/Profile.h"
#include "resources/AppTexts.h"

#include <QCloseEvent>
#include <QLayout>
#include <QSplitter>
#include <QTimer>
#include <string>
#include <QVBoxLayout>
#include <algorithm>

namespace kavro {

CKavroFrame::CKavroFrame(CKavroApp& app, std::unique_ptr<CKavroDoc> document)
    : app_(app), document_(std::move(document)), body_(new QWidget), bodyLayout_(new QVBoxLayout(body_)),
      splitter_(new QSplitter(Qt::Horizontal)), shareWrite_(new QTimer(this))
{
    shareWrite_->setSingleShot(true);
    shareWrite_->setInterval(300);
    connect(shareWrite_, &QTimer::timeout, this, [this] {
        app_.reportProfileWrite(
            app_.profile().writeString(text::kCastPanelSection, text::kCastPanelSplitKey, std::to_string(share_)));
    });
    bodyLayout_->setContentsMargins(0, 0, 0, 0);
    bodyLayout_->setSpacing(0);
    splitter_->setChildrenCollapsible(false);
    splitter_->installEventFilter(this);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { dividerMoved(); });
    bodyLayout_->addWidget(splitter_, 1);
    setWidget(body_);
    resize(kInitialWidth, kInitialHeight);
}

CKavroFrame::~CKavroFrame()
{
    // The view closes the source on its way out, so it goes before the document.
    delete body_;
    view_ = nullptr;
}

bool CKavroFrame::createView(const OpenRequest& request)
{
    view_ = new CKavroView(app_, *document_, *this);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(0, 0);
    if (view_->create(request))
        return true;
    delete view_;
    view_ = nullptr;
    return false;
}

void CKavroFrame::initialUpdate()
{
    setWindowTitle(caption());
    view_->initialUpdate();
}

void CKavroFrame::setInstance(int instance)
{
    instance_ = instance;
    setWindowTitle(caption());
}

QString CKavroFrame::caption() const
{
    QString title = QString::fromStdString(document_->title());
    if (instance_ > 1)
        title += QString::fromUtf8(text::kInstanceSeparator) + QString::number(instance_);
    return title;
}

void CKavroFrame::closeEvent(QCloseEvent* event)
{
    if ((view_ && view_->busy()) || (app_.mainFrame() && !app_.mainFrame()->confirmClose(this))) {
        event->ignore();
        return;
    }
    // A drag just before the close is still remembered.
    if (shareWrite_->isActive()) {
        shareWrite_->stop();
        app_.reportProfileWrite(
            app_.profile().writeString(text::kCastPanelSection, text::kCastPanelSplitKey, std::to_string(share_)));
    }
    QMdiSubWindow::closeEvent(event);
}

void CKavroFrame::changeEvent(QEvent* event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible() && app_.mainFrame())
        app_.mainFrame()->rememberMaximized();
}

bool CKavroFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == splitter_ && event->type() == QEvent::Resize)
        placeDivider();
    return QMdiSubWindow::eventFilter(watched, event);
}

int CKavroFrame::rememberedShare() const
{
    if (shareWrite_->isActive())
        return share_;
    const int share = app_.profile().readInt(text::kCastPanelSection, text::kCastPanelSplitKey, 0);
    return share > 0 && share < 1000 ? share : 0;
}

int CKavroFrame::framePanelWidth() const
{
    const int total = splitter_->width() - splitter_->handleWidth();
    int width = viewClient_.width();
    if (const int share = rememberedShare())
        width = static_cast<int>(static_cast<long long>(total) * share / 1000);
    else if (view_)
        width = view_->fillingWidth(splitter_->height());
    // The display never below its laid-out width, the overview never below its least.
    const int most = total - CastOverviewPanel::kMinimumWidth;
    return std::max(1, std::min(std::max(width, std::min(viewClient_.width(), most)), most));
}

void CKavroFrame::placeDivider()
{
    if (!overviewShown() || !view_ || isMinimized())
        return;
    // A frame at the size its content asked for keeps the display as it was laid out.
    const bool enlarged = isMaximized() || splitter_->width() > viewClient_.width() + splitter_->handleWidth() +
                                                                    CastOverviewPanel::kPreferredWidth + 1;
    if (!enlarged)
        return;
    const int total = splitter_->width() - splitter_->handleWidth();
    const int view = framePanelWidth();
    if (splitter_->sizes().value(0) != view)
        splitter_->setSizes({view, std::max(1, total - view)});
}

void CKavroFrame::dividerMoved()
{
    const int total = splitter_->width() - splitter_->handleWidth();
    if (!overviewShown() || total <= 0)
        return;
    share_ = std::clamp(static_cast<int>(1000LL * splitter_->sizes().value(0) / total), 1, 999);
    shareWrite_->start();
}

void CKavroFrame::dockBar(QWidget* bar)
{
    bodyLayout_->addWidget(bar, 0);
}

void CKavroFrame::dockBand(QWidget* band)
{
    bodyLayout_->insertWidget(bodyLayout_->indexOf(splitter_) + 1, band, 0);
}

void CKavroFrame::setAnimationBar(CAnimationBar* bar)
{
    animationBar_ = bar;
    dockBar(bar);
}

int CKavroFrame::barsHeight() const
{
    int h = 0;
    for (int i = 0; i < bodyLayout_->count(); ++i) {
        QWidget* w = bodyLayout_->itemAt(i)->widget();
        if (w && w != splitter_)
            h += w->sizeHint().height();
    }
    return h;
}

void CKavroFrame::fitViewClient(QSize client)
{
    // The frame's border and title bar are what it adds around its widget.
    if (layout())
        layout()->activate();
    QSize decoration = size() - contentsRect().size();
    // Never narrower than its bars, so that no button or scale is squeezed.
    int width = client.width();
    for (int i = 0; i < bodyLayout_->count(); ++i) {
        QWidget* w = bodyLayout_->itemAt(i)->widget();
        if (w && w != splitter_)
            width = std::max(width, w->sizeHint().width());
    }
    int height = client.height();
    viewClient_ = client;
    if (overviewShown()) {
        const int panel = CastOverviewPanel::kPreferredWidth;
        width = std::max(width, client.width() + splitter_->handleWidth() + panel);
        height = std::max(height, CastOverviewPanel::kMinimumHeight);
        splitter_->setSizes({client.width(), width - client.width() - splitter_->handleWidth()});
    }
    contentSize_ = QSize(width + decoration.width(), height + barsHeight() + decoration.height());
    resize(contentSize_);
}

void CKavroFrame::setOverviewPanel(QWidget* panel)
{
    panel_ = panel;
    splitter_->addWidget(panel);
    splitter_->setStretchFactor(1, 1);
}

void CKavroFrame::setOverviewShown(bool shown)
{
    if (!panel_ || shown == overviewShown())
        return;
    panel_->setVisible(shown);
    if (!isMaximized() && !isMinimized())
        fitViewClient(viewClient_);
    else if (shown && view_)
        placeDivider();
}

}  // namespace kavro
