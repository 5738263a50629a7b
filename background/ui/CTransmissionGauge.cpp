#include "background/ui/CTransmissionGauge.h"

#include <QPainter>
#include <cmath>

namespace kavro {

namespace {
constexpr int kLevels = 100;
}

CTransmissionGauge::CTransmissionGauge(QWidget* parent) : CDibBarMeter(parent) {}

bool CTransmissionGauge::Create(QWidget* parent, const QRect& rect)
{
    if (!CDibBarMeter::Create(parent, rect, 1, kLevels))
        return false;
    SetThreshold(kMarks[0] * kFullTransmission, kYellow, 0);
    SetThreshold(kMarks[1] * kFullTransmission, kGreen, 1);
    return true;
}

double CTransmissionGauge::valueOf(double laserPower, double laserReference, double ratio)
{
    if (!(laserReference > 0.0) || !(ratio > 0.0))
        return 0.0;
    const double value = laserPower / (laserReference * ratio) * kFullTransmission;
    return std::isfinite(value) ? value : 0.0;
}

int CTransmissionGauge::markRow(double transmission) const
{
    const int h = clientHeight();
    return h - static_cast<int>(std::lround(transmission * kFullTransmission * h));
}

void CTransmissionGauge::renderInto(QPainter& painter, bool printer)
{
    CDibBarMeter::renderInto(painter, printer);
    const int w = clientWidth();
    for (double mark : kMarks)
        painter.fillRect(QRect(0, markRow(mark), w, 1), Qt::black);
}

}  // namespace kavro
