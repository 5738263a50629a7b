#pragma once
// The background scatter and averaging windows' side of one view: the view's live
// collection, its not-collecting flag, its frame timer, and the Rings and
// accumulate-and-average windows, each made on first use.  A child of the view, so
// it goes with the view (and the collection stops listening to the instrument).
#include "background/LiveCollection.h"
#include "background/ui/BackgroundHost.h"
#include "background/ui/CAccumulateDlg.h"
#include "background/ui/CRingsWnd.h"

#include <QObject>
#include <QPointer>
#include <optional>

namespace kavro {

class CKavroView;

class BackgroundViewHost : public QObject, public BackgroundHost {
    Q_OBJECT
public:
    BackgroundViewHost(CKavroView& view, DialogRunner runner);

    // The view's host, made on first use.
    static BackgroundViewHost& of(CKavroView& view, const DialogRunner& runner);
    // The view's host when it has one.
    static BackgroundViewHost* find(CKavroView& view);

    // View Rings: the window, made on first use, shown and drawn again.
    CRingsWnd& showRings();
    // Accumulate and Average: the window, made on first use; the timer goes on as it was.
    CAccumulateDlg& showAveraging();
    // After every frame of the view.
    void frameChanged();

    CRingsWnd* rings() const { return rings_; }
    CAccumulateDlg* averaging() const { return averaging_; }
    bool averagingCollects() const { return averaging_ && averagingFlag_; }

    Settings& settings() override;
    Profile& profile() override;
    Prompter& prompter() override;
    int runDialog(QDialog& dialog) override { return runner_(dialog); }
    CDataSource& source() override;
    LiveCollection& collection() override { return collection_; }
    void collectionBegins(int intervalMs) override;
    void collectionEnds() override;
    void setAveraging(bool collecting) override { averagingFlag_ = collecting; }
    void refreshView() override;
    void collectionChanged() override;
    void tell(const std::string& text) override;

private:
    // The frame the view shows: the frame it holds for its display, or its source's.
    void showViewFrame(CRingsWnd& rings);

    CKavroView& view_;
    DialogRunner runner_;
    LiveCollection collection_;
    bool averagingFlag_ = false;  // the view's not-collecting flag, inverted
    // The frame timer as a collection found it: running, and its interval.
    struct TimerState {
        bool running;
        int interval;
    };
    std::optional<TimerState> timerBefore_;
    QPointer<CRingsWnd> rings_;
    QPointer<CAccumulateDlg> averaging_;
};

}  // namespace kavro
