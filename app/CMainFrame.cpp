#include "app/CMainFrame.h"

#include "app/CKavroApp.h"
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CommandTable.h"
#include "resources/AppTexts.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace kavro {

namespace {

constexpr MenuGroup kMenuOrder[] = {MenuGroup::File,       MenuGroup::Frames,  MenuGroup::Instrument,
                                    MenuGroup::Background, MenuGroup::Options, MenuGroup::Window,
                                    MenuGroup::Help};

const char* menuText(const Command& c, int number)
{
    return number == 2 ? c.textMenu2 : c.textMenu3;
}

}  // namespace

CMainFrame::CMainFrame(CKavroApp& app) : app_(app), mdiArea_(new QMdiArea(this))
{
    setWindowTitle(text::kMainFrameTitle);
    setCentralWidget(mdiArea_);
    // Room for two document windows side by side where the screen allows it.
    QSize size(1240, 900);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.92);
    resize(size.expandedTo(QSize(640, 480)));
    createActions();
    createMenus();
    showMenu(2);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { childChanged(); });
    updateCommandStates();
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
        // The document menu's accelerators exist only while it is shown.
        a->setShortcut(number == 3 && c.accelerator ? QKeySequence(QString::fromUtf8(c.accelerator))
                                                    : QKeySequence());
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

CKavroFrame* CMainFrame::newDocument()
{
    auto frame = std::make_unique<CKavroFrame>(app_, std::make_unique<CKavroDoc>(app_));
    // A cancelled or failed open discards frame, view, document and source here.
    if (!frame->createView() || !frame->document().onNewDocument())
        return nullptr;
    CKavroFrame* f = frame.release();
    f->setAttribute(Qt::WA_DeleteOnClose);
    connect(f, &QObject::destroyed, this, [this] { childChanged(); }, Qt::QueuedConnection);
    mdiArea_->addSubWindow(f);
    f->initialUpdate();
    f->show();
    activate(f);
    return f;
}

void CMainFrame::childChanged()
{
    showMenu(frames().isEmpty() ? 2 : 3);
    updateCaption();
    updateCommandStates();
}

void CMainFrame::updateCaption()
{
    CKavroFrame* f = activeFrame();
    QString title = text::kMainFrameTitle;
    if (f)
        title += QString(text::kCaptionSeparator) + QString::fromStdString(f->document().title());
    setWindowTitle(title);
}

void CMainFrame::updateCommandStates()
{
    const int kind = activeKind();
    for (const Command& c : commandTable())
        actions_[c.id]->setEnabled(kavro::isEnabled(c.rule, kind));
}

void CMainFrame::onCommand(int id)
{
    const Command* c = findCommand(id);
    if (!c)
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
        mdiArea_->cascadeSubWindows();
        break;
    case cmd::Tile:
        mdiArea_->tileSubWindows();
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

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Nothing asks to be saved: every child closes with its source.
    mdiArea_->closeAllSubWindows();
    event->accept();
}

}  // namespace kavro
