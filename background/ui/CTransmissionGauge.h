#pragma once
// The transmission gauge of the Rings window: one bar meter whose height is
// laser power / (laser reference x laser-reference ratio) x 0.8, so that clear
// water (100 %) stands at 0.8 of the height and a dirtier lens or water shows
// lower.  Marks stand at 30 %, 40 % and 100 %; the bar is red up to 30 %, yellow
// up to 40 % and green above.
#include "plots/CDibBarMeter.h"

#include <array>

namespace kavro {

class CTransmissionGauge : public CDibBarMeter {
    Q_OBJECT
public:
    static constexpr double kFullTransmission = 0.8;  // fraction of the height that 100 % reaches
    static constexpr std::array<double, 3> kMarks = {0.3, 0.4, 1.0};

    explicit CTransmissionGauge(QWidget* parent = nullptr);

    // One bar over rect, with the colour thresholds at the lower two marks.
    bool Create(QWidget* parent, const QRect& rect);
    // The fraction of the gauge height for these raw values; 0 when the laser
    // reference or the ratio is not positive.
    static double valueOf(double laserPower, double laserReference, double ratio);
    // Row (from the top, in client pixels) of a mark at transmission t.
    int markRow(double transmission) const;

    void renderInto(QPainter& painter, bool printer) override;
};

}  // namespace kavro
