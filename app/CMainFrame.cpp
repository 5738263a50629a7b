#include "app/CMainFrame.h"

#include "app/CKavroApp.h"
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CastOverviewWindow.h"
#include "app/CommandTable.h"
#include "app/InstrumentStatus.h"
#include "app/WindowArrangement.h"
#include "core/Settings.h"
#include "resources/AppTexts.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QMdiArea>
#include <QMenu>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QScrollBar>
#include <algorithm>
#include <vector>
#include <QTimer>

namespace kavro {

namespace {

constexpr MenuGroup kMenuOrder[] = {MenuGroup::File,    MenuGroup::DataFrames, MenuGroup::Comm,
                                    MenuGroup::Options, MenuGroup::Window,     MenuGroup::Help};

const char* menuText(const Command& c, int number)
{
    return number == 2 ? c.textMenu2 : c.textMenu3;
}

}  // namespace

CMainFrame::CMainFrame(CKavroApp& app)
    : app_(app), mdiArea_(new QMdiArea(this)), windowList_(new QActionGroup(this)),
      hint_(new QLabel(mdiArea_->viewport()))
{
    setWindowTitle(text::kMainFrameTitle);
    // A window that lies partly outside the area can be scrolled to.
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    windowList_->setExclusive(true);
    // Room for two document windows side by side where the screen allows it.
    QSize size(1240, 900);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.92);
    resize(size.expandedTo(QSize(640, 480)));
    // A main window last used maximised starts so again (the first show takes the state).
    if (app_.profile().readInt(text::kWindowsSection, text::kMainMaximizedKey, 0) != 0)
        setWindowState(windowState() | Qt::WindowMaximized);
    createActions();
    createMenus();
    showMenu(2);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        childChanged();
        // Ctrl+Tab, the Window menu or a click may pick a window that lies outside the view.
        if (w)
            QTimer::singleShot(0, this, [this, w = QPointer<QMdiSubWindow>(w)] {
                if (w && w == mdiArea_->activeSubWindow())
                    reveal(w);
            });
    });
    statusBar()->setSizeGripEnabled(true);
    mdiArea_->viewport()->installEventFilter(this);
    hint_->setWordWrap(true);
    hint_->setAlignment(Qt::AlignCenter);
    hint_->setStyleSheet("QLabel { color: white; font-size: 11pt; }");
    updateCommandStates();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Minimising keeps what was remembered: the window comes back as it was.
    if (event->type() != QEvent::WindowStateChange || !isVisible() || isMinimized())
        return;
    const bool maximized = isMaximized() || isFullScreen();
    if (maximized != (app_.profile().readInt(text::kWindowsSection, text::kMainMaximizedKey, 0) != 0))
        app_.reportProfileWrite(
            app_.profile().writeString(text::kWindowsSection, text::kMainMaximizedKey, maximized ? "1" : "0"));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mdiArea_->viewport() && event->type() == QEvent::Resize && !hint_->isHidden())
        updateEmptyHint();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::tell(const std::string& text)
{
    statusBar()->showMessage(QString::fromStdString(text));
}

void CMainFrame::updateEmptyHint()
{
    const bool empty = frames().isEmpty();
    if (empty) {
        QString text = QString::fromUtf8(text::kEmptyWorkspaceHint);
        // The calibration folder left unset is the program's own folder: say where to set it.
        bool calibrationSet = false;
        for (const Settings::Entry& e : app_.settings().entries())
            if (e.key == "CalFiles")
                calibrationSet = e.fromProfile;
        if (!calibrationSet)
            text += QString::fromUtf8(text::kEmptyWorkspaceCalibration) +
                    QString::fromStdString(app_.settings().calFiles) + QString::fromUtf8(text::kEmptyWorkspaceCalibrationEnd);
        hint_->setText(text);
        const QSize area = mdiArea_->viewport()->size();
        const int width = std::min(560, std::max(200, area.width() - 40));
        hint_->setFixedWidth(width);
        hint_->adjustSize();
        hint_->move((area.width() - width) / 2, std::max(10, (area.height() - hint_->height()) / 2));
    }
    hint_->setVisible(empty);
}

void CMainFrame::reveal(QMdiSubWindow* window)
{
    if (!window || window->isMinimized() || window->isMaximized())
        return;
    // The area scrolls its windows: a window left of or above the view moves right or
    // down by the scroll; one beyond the right or bottom edge the other way, as long
    // as its top-left corner stays in view.
    const QRect view = mdiArea_->viewport()->rect();
    const QRect r = window->geometry();
    auto shift = [](int low, int high, int viewLow, int viewHigh) {
        if (low < viewLow)
            return low - viewLow;
        if (high > viewHigh)
            return std::min(high - viewHigh, low - viewLow);
        return 0;
    };
    const int dx = shift(r.left(), r.right(), view.left(), view.right());
    const int dy = shift(r.top(), r.bottom(), view.top(), view.bottom());
    QScrollBar* h = mdiArea_->horizontalScrollBar();
    QScrollBar* v = mdiArea_->verticalScrollBar();
    if (dx != 0)
        h->setValue(h->value() + dx);
    if (dy != 0)
        v->setValue(v->value() + dy);
}

CMainFrame::~CMainFrame()
{
    // Each child frame closes its source before the application's objects go.
    for (CKavroFrame* f : frames())
        delete f;
}

void CMainFrame::createActions()
{
    for (const Command& c : commandTable()) {
        auto* a = new QAction(this);
        a->setText(QString::fromUtf8(c.textMenu3 ? c.textMenu3 : c.textMenu2 ? c.textMenu2 : ""));
        const int id = c.id;
        connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
        if (c.group == MenuGroup::None) {
            // Help keys of the main frame's table: bound, never enabled.
            if (c.accelerator)
                a->setShortcut(QKeySequence(QString::fromUtf8(c.accelerator)));
            addAction(a);
        }
        actions_[id] = a;
    }
}

void CMainFrame::createMenus()
{
    for (int number : {2, 3}) {
        for (MenuGroup group : kMenuOrder) {
            QMenu* menu = nullptr;
            for (const Command& c : commandTable()) {
                if (c.group != group || !menuText(c, number))
                    continue;
                if (!menu)
                    menu = new QMenu(QString::fromUtf8(menuGroupTitle(group)), this);
                else if (c.separatorBefore)
                    menu->addSeparator();
                menu->addAction(actions_[c.id]);
            }
            if (!menu)
                continue;
            connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
            if (group == MenuGroup::Window && number == 3) {
                windowMenu_ = menu;
                menu->addSeparator();  // above the list of open windows
                connect(menu, &QMenu::aboutToShow, this, [this] { updateWindowMenu(); });
            }
            menus_[number].append(menu);
        }
    }
}

void CMainFrame::showMenu(int number)
{
    if (number == menuNumber_)
        return;
    menuNumber_ = number;
    menuBar()->clear();
    for (QMenu* m : menus_[number])
        menuBar()->addMenu(m);
    for (const Command& c : commandTable()) {
        if (c.group == MenuGroup::None)
            continue;
        QAction* a = actions_[c.id];
        if (const char* t = menuText(c, number))
            a->setText(QString::fromUtf8(t));
        // The document menu's accelerators exist only while it is shown; those of the
        // commands of both menus (open, exit, the user guide) always.
        const bool bound = c.accelerator && (number == 3 || c.textMenu2);
        a->setShortcut(bound ? QKeySequence(QString::fromUtf8(c.accelerator)) : QKeySequence());
    }
}

QList<CKavroFrame*> CMainFrame::frames() const
{
    QList<CKavroFrame*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList())
        if (auto* f = qobject_cast<CKavroFrame*>(w))
            out.append(f);
    return out;
}

CKavroFrame* CMainFrame::activeFrame() const
{
    return qobject_cast<CKavroFrame*>(mdiArea_->currentSubWindow());
}

CKavroView* CMainFrame::activeView() const
{
    CKavroFrame* f = activeFrame();
    return f ? f->view() : nullptr;
}

void CMainFrame::activate(CKavroFrame* frame)
{
    mdiArea_->setActiveSubWindow(frame);
    childChanged();
}

int CMainFrame::activeKind() const
{
    CKavroView* v = activeView();
    return v ? v->sourceKind() : kKindNone;
}

QAction* CMainFrame::action(int id) const
{
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

CKavroFrame* CMainFrame::newDocument(const OpenRequest& request)
{
    auto frame = std::make_unique<CKavroFrame>(app_, std::make_unique<CKavroDoc>(app_));
    // A cancelled or failed open discards frame, view, document and source here.
    if (!frame->createView(request) || !frame->document().onNewDocument())
        return nullptr;
    CKavroFrame* f = frame.release();
    f->setAttribute(Qt::WA_DeleteOnClose);
    connect(f, &QObject::destroyed, this, [this] { childChanged(); }, Qt::QueuedConnection);
    numberInstance(f);
    mdiArea_->addSubWindow(f);
    // Ctrl+F4 is the Window menu's, whichever window has the focus; the frame's own
    // menu would make the key ambiguous.
    if (QMenu* own = f->systemMenu())
        for (QAction* a : own->actions()) {
            QList<QKeySequence> keys = a->shortcuts();
            if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4)) > 0)
                a->setShortcuts(keys);
        }
    f->initialUpdate();
    placeNewFrame(f);
    if (app_.profile().readInt(text::kWindowsSection, text::kWindowsMaximizedKey, 0) != 0)
        f->showMaximized();
    else
        f->show();
    activate(f);
    return f;
}

void CMainFrame::rememberMaximized()
{
    const QList<CKavroFrame*> all = frames();
    const bool maximized = std::any_of(all.begin(), all.end(), [](CKavroFrame* f) { return f->isMaximized(); });
    if (maximized != (app_.profile().readInt(text::kWindowsSection, text::kWindowsMaximizedKey, 0) != 0))
        app_.reportProfileWrite(
            app_.profile().writeString(text::kWindowsSection, text::kWindowsMaximizedKey, maximized ? "1" : "0"));
}

void CMainFrame::numberInstance(CKavroFrame* frame)
{
    std::vector<int> taken;
    for (CKavroFrame* other : frames())
        if (other != frame && other->document().title() == frame->document().title())
            taken.push_back(other->instance());
    int n = 1;
    while (std::find(taken.begin(), taken.end(), n) != taken.end())
        ++n;
    frame->setInstance(n);
}

void CMainFrame::placeNewFrame(CKavroFrame* frame)
{
    QList<QRect> others;
    for (CKavroFrame* other : frames())
        if (other != frame && other->isVisible() && !other->isMinimized())
            others.append(other->geometry());
    frame->move(arrangement::placeNewWindow(frame->size(), others, mdiArea_->viewport()->size()));
}

QList<CKavroFrame*> CMainFrame::arrangeableFrames(QMdiArea::WindowOrder order) const
{
    QList<CKavroFrame*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(order))
        if (auto* f = qobject_cast<CKavroFrame*>(w); f && !f->isMinimized() && !f->isHidden())
            out.append(f);
    return out;
}

void CMainFrame::arrangeFrames(const QList<CKavroFrame*>& list, Arrangement arrange)
{
    QList<QSize> sizes;
    for (CKavroFrame* f : list) {
        if (f->isMaximized())
            f->showNormal();
        sizes.append(f->contentSize());
    }
    mdiArea_->horizontalScrollBar()->setValue(0);
    mdiArea_->verticalScrollBar()->setValue(0);
    const QList<QRect> places = arrange(sizes, mdiArea_->viewport()->size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        list[i]->setGeometry(places[i]);
        list[i]->raise();
    }
}

void CMainFrame::cascadeFrames()
{
    // In their stacking order, so the active window stays in front.
    arrangeFrames(arrangeableFrames(QMdiArea::StackingOrder), arrangement::cascade);
}

void CMainFrame::tileFrames()
{
    // The active window first, as the framework tiles.
    QList<CKavroFrame*> list = arrangeableFrames(QMdiArea::ActivationHistoryOrder);
    std::reverse(list.begin(), list.end());
    arrangeFrames(list, arrangement::tile);
}

void CMainFrame::updateWindowMenu()
{
    for (QAction* a : windowList_->actions()) {
        windowList_->removeAction(a);
        delete a;
    }
    if (!windowMenu_)
        return;
    const QList<CKavroFrame*> list = frames();
    CKavroFrame* active = activeFrame();
    int number = 0;
    for (CKavroFrame* f : list) {
        QAction* a = new QAction(QString::fromUtf8(text::kWindowListItem).arg(++number).arg(f->caption()),
                                 windowList_);
        a->setCheckable(true);
        a->setChecked(f == active);
        connect(a, &QAction::triggered, this, [this, f] {
            if (frames().contains(f))
                activate(f);
        });
        windowMenu_->addAction(a);
    }
    // The Cast Overview windows that are open, after the frames.
    for (CKavroFrame* f : list) {
        CastOverviewWindow* overview = f->view() ? f->view()->castOverview() : nullptr;
        if (!overview || !overview->isVisible())
            continue;
        QAction* a = new QAction(QString::fromUtf8(text::kWindowListItem).arg(++number).arg(overview->windowTitle()),
                                 windowList_);
        QPointer<CastOverviewWindow> window(overview);
        connect(a, &QAction::triggered, this, [window] {
            if (window) {
                window->raise();
                window->activateWindow();
            }
        });
        windowMenu_->addAction(a);
    }
}

QList<QAction*> CMainFrame::windowListActions() const
{
    return windowList_->actions();
}

void CMainFrame::childChanged()
{
    showMenu(frames().isEmpty() ? 2 : 3);
    updateEmptyHint();
    updateCaption();
    updateCommandStates();
    updateWindowMenu();
}

void CMainFrame::updateCaption()
{
    CKavroFrame* f = activeFrame();
    QString title = text::kMainFrameTitle;
    if (f)
        title += QString(text::kCaptionSeparator) + f->caption();
    setWindowTitle(title);
}

void CMainFrame::updateCommandStates()
{
    const int kind = activeKind();
    for (const Command& c : commandTable())
        actions_[c.id]->setEnabled(kavro::isEnabled(c.rule, kind));
}

bool CMainFrame::anyViewBusy() const
{
    for (CKavroFrame* f : frames())
        if (f->view() && f->view()->busy())
            return true;
    return false;
}

void CMainFrame::onCommand(int id)
{
    const Command* c = findCommand(id);
    if (!c || anyViewBusy())
        return;
    try {
        switch (c->handler) {
        case Handler::Application:
            app_.onCommand(id);
            break;
        case Handler::MainFrame:
            mainFrameCommand(id);
            break;
        case Handler::View:
            if (CKavroView* v = activeView())
                v->onCommand(id);
            break;
        case Handler::Framework:
            frameworkCommand(id);
            break;
        }
    } catch (...) {
        // A command that failed has told the user itself; the program goes on.
    }
}

void CMainFrame::mainFrameCommand(int id)
{
    CommandHooks& hooks = app_.hooks();
    switch (id) {
    case cmd::BuildBackground:
        hooks.buildBackgroundScatterFile(*this, activeView());
        break;
    case cmd::EditCalibration:
        hooks.editCalibrationParameters(*this, activeView());
        break;
    case cmd::Output:
        hooks.outputOptions(*this);
        break;
    case cmd::Locations:
        hooks.locations(*this);
        break;
    default:
        break;
    }
}

void CMainFrame::frameworkCommand(int id)
{
    switch (id) {
    case cmd::Exit:
        // Deferred: the menu that sent the command must not be torn down under it.
        QTimer::singleShot(0, this, [this] { close(); });
        break;
    case cmd::Cascade:
        cascadeFrames();
        break;
    case cmd::Tile:
        tileFrames();
        break;
    case cmd::NextWindow:
        mdiArea_->activateNextSubWindow();
        break;
    case cmd::PreviousWindow:
        mdiArea_->activatePreviousSubWindow();
        break;
    case cmd::CloseWindow:
        // Deferred, as Exit: the menu that sent the command must not be torn down under it.
        QTimer::singleShot(0, this, [this] { mdiArea_->closeActiveSubWindow(); });
        break;
    case cmd::ArrangeIcons:
        arrangeIcons();
        break;
    default:
        break;
    }
}

void CMainFrame::arrangeIcons()
{
    // Minimised children in a row along the bottom of the area.
    int x = 0;
    const int bottom = mdiArea_->viewport()->height();
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (!w->isMinimized())
            continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}

bool CMainFrame::confirmClose(CKavroFrame* frame)
{
    if (closeConfirmed_.contains(frame))
        return true;
    const std::string file = recordingFileName(frame->view() ? frame->view()->source() : nullptr);
    if (file.empty())
        return true;
    return app_.prompter().askQuestion(text::kStopRecordingAsk + file + text::kStopRecordingAskEnd,
                                       QuestionStyle{true, true});
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (anyViewBusy()) {
        event->ignore();
        return;
    }
    // Each window that records asks before it stops; one No keeps every window open.
    closeConfirmed_.clear();
    for (CKavroFrame* f : frames()) {
        if (!confirmClose(f)) {
            closeConfirmed_.clear();
            event->ignore();
            return;
        }
        closeConfirmed_.append(f);
    }
    // Nothing else asks: every child closes with its source, and its files are complete.
    mdiArea_->closeAllSubWindows();
    closeConfirmed_.clear();
    event->accept();
}

}  // namespace kavro
