#pragma once
// The volume scattering function of one frame (log10 per ring) as a polyline, with
// the frame's beam attenuation printed in the top-right corner, or in another
// corner when the line runs through that one.
#include "plots/CDrawingWnd.h"

#include <QPolygon>
#include <QRect>

namespace kavro {

class CDataSource;
class CFrameResult;

class CLinePlotWnd : public CDrawingWnd {
    Q_OBJECT
public:
    explicit CLinePlotWnd(QWidget* parent = nullptr);

    // A bordered child with the outer rectangle (x, y, x + w, y + h).
    void Create(QWidget* parent, int x, int y, int w, int h);
    // The source (not owned) whose processed frame is drawn and whose beam
    // attenuation is printed; null draws nothing.
    void SetSource(const CDataSource* source);

    int pointCount() const { return nPoints_; }
    double yMax() const { return yMax_; }
    double yMin() const { return yMin_; }
    // Row of the value v in a client area h pixels high: yMax at 0, yMin at h;
    // values below yMin are kept at h, values above yMax go above the top.
    int rowOf(double v, int h) const;

    // Where a text of this size goes in a client area w x h: the first corner, from
    // the top right (w - 120, 5) on, whose box the line does not cross; the one it
    // crosses least when it crosses all four.
    static QRect textPlace(const QPolygon& line, QSize text, int w, int h);

    void renderInto(QPainter& painter, bool printer) override;

private:
    const CDataSource* source_ = nullptr;
    const CFrameResult* frame_ = nullptr;
    int nPoints_ = 32;
    double yMax_ = 5.0;
    double yMin_ = -5.0;
};

}  // namespace kavro
