#pragma once
// The main frame "KAVRO": the MDI area with one child frame per open source, the
// menu bar (menu 2 while no document is open, menu 3 with one), the commands the
// main frame handles itself, and the caption with the active document's title.
#include <QList>
#include <QMainWindow>
#include <QMdiArea>
#include <QRect>
#include <QSize>
#include <map>
#include <string>

class QActionGroup;
class QLabel;
class QMdiSubWindow;
class QMenu;

namespace kavro {

struct OpenRequest;

class CKavroApp;
class CKavroFrame;
class CKavroView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CKavroApp& app);
    ~CMainFrame() override;

    // A new document of the application's pending source kind with its child frame
    // and view; null when the source was cancelled or failed (nothing is left).
    CKavroFrame* newDocument(const OpenRequest& request);

    CKavroApp& app() const { return app_; }
    QMdiArea* mdiArea() const { return mdiArea_; }
    QList<CKavroFrame*> frames() const;
    // The active child frame, also while the program itself is not the active one.
    CKavroFrame* activeFrame() const;
    CKavroView* activeView() const;
    void activate(CKavroFrame* frame);

    // The action of a command of the table (null for an unknown id).
    QAction* action(int id) const;
    // 2 while no document is open, 3 with one.
    int menuNumber() const { return menuNumber_; }
    // Source kind of the active view, -1 without one.
    int activeKind() const;
    // Carries a command out, by whoever handles it; exceptions are dropped.  Nothing
    // while a view is busy.
    void onCommand(int id);
    // A view is busy with a long run of its own (see CKavroView::busy).
    bool anyViewBusy() const;
    // Enables every command by its rule on the active child.
    void updateCommandStates();
    // The Window menu's list of open windows, the active one checked.
    QList<QAction*> windowListActions() const;
    // Tells in the status bar what a command has done (files written, frames); the
    // text stays until the next one.
    void tell(const std::string& text);
    // The empty workspace's word on what to do (hidden while a window is open).
    QLabel* emptyHint() const { return hint_; }
    void updateEmptyHint();
    // Scrolls the workspace so that as much of the window as fits is in view.
    void reveal(QMdiSubWindow* window);
    // Closing a window that records from the instrument asks first; true when it may
    // close (it records nothing, Yes was answered, or Exit asked already).
    bool confirmClose(CKavroFrame* frame);
    // Stores whether a window is maximised, so that the next window (in this run or the
    // next) opens maximised too.
    void rememberMaximized();
    // Cascade and Tile: every window at least at the size of its content.
    void cascadeFrames();
    void tileFrames();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Being maximised is remembered: the next start opens maximised too.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void showMenu(int number);
    void childChanged();
    void updateCaption();
    void mainFrameCommand(int id);
    void frameworkCommand(int id);
    void arrangeIcons();
    void updateWindowMenu();
    // Numbers a new frame among the open ones on the same file or port.
    void numberInstance(CKavroFrame* frame);
    // Moves a new frame, at its final size, into the visible part of the area.
    void placeNewFrame(CKavroFrame* frame);
    // The frames Cascade and Tile arrange (neither minimised nor hidden), in order.
    QList<CKavroFrame*> arrangeableFrames(QMdiArea::WindowOrder order) const;
    // Places the frames where arrange puts windows of their content sizes.
    using Arrangement = QList<QRect> (*)(const QList<QSize>&, QSize);
    void arrangeFrames(const QList<CKavroFrame*>& list, Arrangement arrange);

    CKavroApp& app_;
    QMdiArea* mdiArea_;
    std::map<int, QAction*> actions_;
    std::map<int, QList<QMenu*>> menus_;  // menu number -> its top-level menus
    QMenu* windowMenu_ = nullptr;         // menu 3's Window menu
    QActionGroup* windowList_;
    int menuNumber_ = 0;
    QLabel* hint_;
    QList<CKavroFrame*> closeConfirmed_;  // recording windows Exit has had a Yes for
};

}  // namespace kavro
