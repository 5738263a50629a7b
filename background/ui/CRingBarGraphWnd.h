#pragma once
// The 32 rings as a bar chart of two series side by side: a frame's ring values
// and a background to judge them against.  Drawn like the size-distribution bar
// graph (white background, bars up from the bottom, the same scale maximum).
#include "core/Constants.h"
#include "plots/CDrawingWnd.h"

#include <array>

namespace kavro {

class CRingBarGraphWnd : public CDrawingWnd {
    Q_OBJECT
public:
    using Rings = std::array<double, kRings>;
    static QColor firstColour() { return QColor(0, 128, 128); }   // teal
    static QColor secondColour() { return QColor(255, 0, 0); }    // red

    explicit CRingBarGraphWnd(QWidget* parent = nullptr);

    // A bordered child with the outer rectangle (x, y, x + w, y + h).
    void Create(QWidget* parent, int x, int y, int w, int h);
    void SetSeries(const Rings& first, const Rings& second);
    // The value drawn at full height; nothing is drawn unless it is above 0.
    void SetYMax(double yMax);

    double yMax() const { return yMax_; }
    const Rings& first() const { return first_; }
    const Rings& second() const { return second_; }
    // Height in pixels of a bar of value v in a plot h pixels high (0..h).
    int barHeight(double v, int h) const;

    void renderInto(QPainter& painter, bool printer) override;

private:
    Rings first_{};
    Rings second_{};
    double yMax_ = 0.0;
};

}  // namespace kavro
