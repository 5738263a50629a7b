#pragma once
// The volume scattering function of one frame (log10 per ring) as a polyline, with
// the frame's beam attenuation printed in the top-right corner.
#include "plots/CDrawingWnd.h"

#include <functional>

namespace kavro {

class CFrameResult;

class CLinePlotWnd : public CDrawingWnd {
    Q_OBJECT
public:
    explicit CLinePlotWnd(QWidget* parent = nullptr);

    // A bordered child with the outer rectangle (x, y, x + w, y + h).
    void Create(QWidget* parent, int x, int y, int w, int h);
    // The frame drawn and where the beam attenuation of the current frame comes
    // from (in 1/m); both belong to the data source.  Without a beam reader the
    // read-out is left out.
    void SetSource(const CFrameResult* frame, std::function<double()> beamAttenuation);

    int pointCount() const { return nPoints_; }
    double yMax() const { return yMax_; }
    double yMin() const { return yMin_; }
    // Row of the value v in a client area h pixels high: yMax at 0, yMin at h;
    // values below yMin are kept at h, values above yMax go above the top.
    int rowOf(double v, int h) const;

    void renderInto(QPainter& painter, bool printer) override;

private:
    const CFrameResult* frame_ = nullptr;
    std::function<double()> beamAttenuation_;
    int nPoints_ = 32;
    double yMax_ = 5.0;
    double yMin_ = -5.0;
};

}  // namespace kavro
