#pragma once
// The size distribution of one frame as a dense bar chart: every pixel column is
// painted over its whole height, so the chart is never erased first.  The classes
// of the mean diameter and of mean +/- one standard deviation can be marked.
#include "plots/CDrawingWnd.h"
#include "plots/CValueTipWnd.h"

#include <memory>

namespace kavro {

class CFrameResult;

class CBarGraphWnd : public CDrawingWnd {
    Q_OBJECT
public:
    explicit CBarGraphWnd(int nClasses = 0, QWidget* parent = nullptr);
    ~CBarGraphWnd() override;

    // A bordered child with the outer rectangle (x, y, x + w, y + h).
    void Create(QWidget* parent, int x, int y, int w, int h);
    // The frame drawn (not owned); null draws nothing.
    void SetFrame(const CFrameResult* frame);
    // The value drawn at full height; nothing is drawn until it is above 0.
    void SetYMax(double yMax);
    // Which marks to draw: the mean's class, the classes of mean -/+ std.
    void SetMarks(bool showMean, bool showStdDev);

    // Class whose diameter is nearest d (the lower index on a tie); -1 when d <= 0
    // or there is no frame.
    int ClassIndexOf(double d) const;
    // Class under client column x.
    int classAt(int x) const;
    // The value tip's text for class c: "[%.3lg um] %.3lg ul/l".
    QString tipText(int c) const;

    int classCount() const { return nClasses_; }
    double yMax() const { return yMax_; }
    const CValueTipWnd* tip() const { return tip_.get(); }

    void renderInto(QPainter& painter, bool printer) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int barHeight(int c, int h) const;

    int nClasses_;
    const CFrameResult* frame_ = nullptr;
    double yMax_ = 0.0;
    bool showMean_ = false;
    bool showStdDev_ = false;
    std::unique_ptr<CValueTipWnd> tip_;
};

}  // namespace kavro
