#pragma once
// A child frame: one document, its view, and the dialog bars docked along its
// bottom edge.  It owns the document; the view and the bars are its widgets.
#include <QMdiSubWindow>
#include <memory>

class QSplitter;
class QTimer;
class QVBoxLayout;

namespace kavro {

struct OpenRequest;

class CAnimationBar;
class CKavroApp;
class CKavroDoc;
class CKavroView;

class CKavroFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    static constexpr int kInitialWidth = 540;
    static constexpr int kInitialHeight = 420;

    CKavroFrame(CKavroApp& app, std::unique_ptr<CKavroDoc> document);
    ~CKavroFrame() override;

    // Makes the view, which has the document build and open its source; false when
    // that was cancelled or failed.
    bool createView(const OpenRequest& request);
    // The view's initial update, then the caption.
    void initialUpdate();

    // Which window on the same file or port this is: 1 for the first, 2, 3 ... for
    // the others, whose captions end in ":2", ":3".
    int instance() const { return instance_; }
    void setInstance(int instance);
    // The document's title with the instance number when it is not the first.
    QString caption() const;
    // The size the view's layout gave the frame: its whole content with the bars.
    QSize contentSize() const { return contentSize_; }

    CKavroDoc& document() { return *document_; }
    const CKavroDoc& document() const { return *document_; }
    CKavroView* view() const { return view_; }
    CAnimationBar* animationBar() const { return animationBar_; }

    // Docks a bar along the bottom, below any bar docked before.
    void dockBar(QWidget* bar);
    // Docks a band right under the view and the panel, above every bar.
    void dockBand(QWidget* band);
    void setAnimationBar(CAnimationBar* bar);
    // Height of the docked bars together.
    int barsHeight() const;
    // Resizes the frame, keeping its position, so that the view's client area is
    // client and the bars fit below it (and the overview panel beside it when shown).
    void fitViewClient(QSize client);

    // The Cast Overview panel, beside the view in a splitter (owned by the frame);
    // it takes the room a larger or maximised frame gives, the view keeps its own.
    void setOverviewPanel(QWidget* panel);
    QWidget* overviewPanel() const { return panel_; }
    QSplitter* splitter() const { return splitter_; }
    // Shows or hides the panel; a frame that is neither maximised nor minimised
    // grows or shrinks by the panel's width.
    void setOverviewShown(bool shown);
    bool overviewShown() const { return panel_ && !panel_->isHidden(); }
    // The frame panel's width beside the overview in a maximised (or enlarged) frame:
    // the share the user last gave it by dragging the divider, else the width at which
    // its display fills the height; the overview never below its least width.
    int framePanelWidth() const;
    // The share (per mille of the splitter's width) remembered in the profile; 0: none.
    int rememberedShare() const;

protected:
    // A busy view keeps its frame open, and so does a No to stopping a recording.
    void closeEvent(QCloseEvent* event) override;
    // Maximising or restoring a window is remembered: the next window opens the same way.
    void changeEvent(QEvent* event) override;
    // The splitter's resizes place the divider.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Puts the divider at framePanelWidth() in a frame wider than its content.
    void placeDivider();
    // A drag of the divider is remembered as the frame panel's share.
    void dividerMoved();

    CKavroApp& app_;
    std::unique_ptr<CKavroDoc> document_;
    QWidget* body_;
    QVBoxLayout* bodyLayout_;
    QSplitter* splitter_;
    QTimer* shareWrite_;  // a drag writes its share once it has come to rest
    int share_ = 0;       // the share to write
    CKavroView* view_ = nullptr;
    QWidget* panel_ = nullptr;
    QSize viewClient_{kInitialWidth, kInitialHeight};  // the view's client area fitViewClient last gave
    CAnimationBar* animationBar_ = nullptr;
    int instance_ = 1;
    QSize contentSize_{kInitialWidth, kInitialHeight};
};

}  // namespace kavro
