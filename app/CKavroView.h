#pragma once
// A document's view: a scrolling area whose content holds the child windows at
// their pixel positions.  The view itself only connects things: the layout of the
// display (SizeDistributionLayout, or the raw-data-file layout behind the command
// hooks), the frame navigation and animation (FrameNavigator) and the printing
// (ViewPrinter).
#include "plots/Arrangement.h"

#include <QPointer>
#include <QScrollArea>
#include <QSize>
#include <functional>
#include <string>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QPrinter;

namespace kavro {

struct OpenRequest;

class ArrangementCanvas;

class CDataSource;
class CKavroApp;
class CKavroDoc;
class CKavroFrame;
class CastOverviewPanel;
class CastOverviewWindow;
class HeldFrameSource;
class CCommSource;
class FrameNavigator;
class InstrumentStatus;
class SizeDistributionLayout;

class CKavroView : public QScrollArea {
    Q_OBJECT
public:
    CKavroView(CKavroApp& app, CKavroDoc& document, CKavroFrame& frame);
    // Stops the animation and closes the source (its port and output files).
    ~CKavroView() override;

    // Has the document create and open the source of the application's pending
    // kind; false (the open is abandoned) when that was cancelled or failed.
    bool create(const OpenRequest& request);
    // Builds the display for the source kind, shows the first frame and sets up the animation.
    void initialUpdate();

    CDataSource* source() const { return source_; }
    int sourceKind() const;
    // The document's instrument model.
    int instrumentModel() const;
    CKavroApp& app() const { return app_; }
    CKavroDoc& document() const { return document_; }
    CKavroFrame& frame() const { return frame_; }
    // The widget the child windows stand on.
    ArrangementCanvas* canvas() const { return canvas_; }
    // The scroll extent: 400 x 360 for the instrument and .psd layouts.  Once a
    // layout has described its arrangement, the view scrolls only below the
    // arrangement's readable minimum.
    QSize extent() const { return extent_; }
    void setExtent(QSize extent);
    // The width at which the view, height pixels high, shows its display filling it.
    int fillingWidth(int height) const;
    // The layout's arrangement: its logical size (the client area it was laid out
    // for) and the rows of its plots, which take the height a larger window adds;
    // bar: the bar docked below, which may make the window wider than the client.
    void setArrangement(QSize client, std::vector<ArrangementScale::Rows> plotRows, const QWidget* bar);
    SizeDistributionLayout* sizeLayout() const { return sizeLayout_.get(); }
    FrameNavigator* navigator() const { return navigator_; }
    // The Cast Overview window, while it is open.
    CastOverviewWindow* castOverview() const;
    // The Cast Overview panel beside the plots (instrument, .psd and raw-recording views).
    CastOverviewPanel* overviewPanel() const { return panel_; }
    // The frame the live panel holds for the display (the plots, the auxiliary and
    // Rings windows show it); null while the view follows its source.
    const HeldFrameSource* heldFrame() const;
    // Shows or hides the panel and remembers the choice for this kind of window.
    void setOverviewPanelShown(bool shown);
    // The instrument window's status lines (null for other sources).
    InstrumentStatus* instrumentStatus() const { return status_.get(); }

    // After a frame change: the plots and labels show the source's current frame,
    // and the companion windows take it.
    void refresh();
    // Carries out a command of the view (menu or bar button); exceptions are dropped.
    // Nothing while the view is busy.
    void onCommand(int id);
    // A long run of the view's own (Process File) that hands the event loop a turn
    // now and then: meanwhile no command reaches the program and no window closes.
    bool busy() const { return busy_; }
    void setBusy(bool busy) { busy_ = busy; }
    // One page of the view on printer, with its caption; false when the printer could not start.
    bool printPage(QPrinter& printer);
    // What a printed page says at its foot: the file, the frame shown and its time,
    // the date of printing.
    std::string printCaption() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // The arrangement scaled to the viewport, and the canvas sized to hold it.
    void fitCanvas();
    void buildSizeDistributionView();
    // The instrument's status lines, and what the view does while a request waits.
    void buildInstrumentStatus(CCommSource& instrument);
    // A request waits for the instrument: the window says so and keeps being drawn,
    // and nothing but drawing happens meanwhile (no command, no other frame request).
    void whileWaiting(int secondsWaited);
    // The banner over the window while the instrument's line is away (with Reconnect
    // now), and for a while once it is back.
    void updateLinkBanner();
    void placeLinkBanner();
    QWidget* linkBanner_ = nullptr;
    QLabel* linkBannerText_ = nullptr;
    void viewCommand(int id);
    void frameCommand(int id);
    void goToFrame();
    void showCastOverview();
    // The panel beside the plots: for the instrument it grows from every frame taken.
    void buildOverviewPanel();
    void toggleOverviewPanel();
    // Fills a .psd panel from the file on first showing (false when it cannot be read,
    // told), or starts a raw recording's panel filling in the background.
    bool fillFilePanel();
    // The profile key that remembers the panel for this kind of window.
    const char* panelProfileKey() const;
    // The plots show the held frame (place in the live cast), or the source's own again.
    void showHeldFrame(std::optional<long long> place);
    // The keys that step frames: arrows one, Page Up and Down ten, Home and End to
    // the first and the last (the live window: its newest, following again).
    void installFrameKeys();
    void stepFrames(int delta);
    void endFrame(bool last);
    void print();
    void printPreview();
    // While a print or preview dialog is open the page keeps the frame it showed: a
    // live window holds it (the recording goes on), a file's animation pauses.  The
    // returned function gives the window back as it was.
    std::function<void()> keepFrameStill();
    void companionCommand(int id);

    CKavroApp& app_;
    CKavroDoc& document_;
    CKavroFrame& frame_;
    CDataSource* source_ = nullptr;
    ArrangementCanvas* canvas_;
    QSize extent_{100, 100};
    std::unique_ptr<SizeDistributionLayout> sizeLayout_;
    std::unique_ptr<InstrumentStatus> status_;
    FrameNavigator* navigator_ = nullptr;
    QPointer<CastOverviewWindow> overview_;
    CastOverviewPanel* panel_ = nullptr;
    std::unique_ptr<HeldFrameSource> held_;
    bool busy_ = false;
};

}  // namespace kavro
