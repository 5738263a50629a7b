#include "plots/cast/StationMap.h"

#include "plots/cast/CastAxes.h"
#include "resources/CastPlotTexts.h"
#include "resources/CruiseTexts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kavro {
namespace {

const QColor kInk(30, 30, 30);
const QColor kGrid(225, 225, 225);
constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr double kLeastSpan = 0.05;  // degrees of latitude, about 5 km

QFont mapFont(double px)
{
    QFont f(QString::fromUtf8(text::kCastFontFace));
    f.setPixelSize(std::max(5, static_cast<int>(std::lround(px))));
    return f;
}

// A degree of longitude at the map's middle latitude, in degrees of latitude.
double lonScale(double lat0, double lat1)
{
    return std::max(0.05, std::cos((lat0 + lat1) / 2 * kDegree));
}

QString degreeLabel(double v, bool latitude)
{
    const char hemisphere = latitude ? (v < 0 ? 'S' : 'N') : (v < 0 ? 'W' : 'E');
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, text::kReportMapDegrees, shortNumber(std::fabs(v)).toUtf8().constData(),
                  std::fabs(v) < 1e-9 ? ' ' : hemisphere);
    return QString::fromUtf8(buffer).trimmed();
}

}  // namespace

MapExtent mapExtent(const std::vector<MapStation>& stations, double width, double height)
{
    double lat0 = NAN, lat1 = NAN, lon0 = NAN, lon1 = NAN;
    for (const MapStation& s : stations) {
        if (!std::isfinite(s.latitude) || !std::isfinite(s.longitude))
            continue;
        lat0 = std::isfinite(lat0) ? std::min(lat0, s.latitude) : s.latitude;
        lat1 = std::isfinite(lat1) ? std::max(lat1, s.latitude) : s.latitude;
        lon0 = std::isfinite(lon0) ? std::min(lon0, s.longitude) : s.longitude;
        lon1 = std::isfinite(lon1) ? std::max(lon1, s.longitude) : s.longitude;
    }
    if (!std::isfinite(lat0))
        return {};
    const double k = lonScale(lat0, lat1);
    // Spans in degrees of latitude, with room around the outermost stations for their labels.
    double sy = std::max(lat1 - lat0, kLeastSpan) * 1.3;
    double sx = std::max((lon1 - lon0) * k, kLeastSpan) * 1.3;
    const double aspect = width > 0 && height > 0 ? width / height : 1.0;
    if (sx / sy < aspect)
        sx = sy * aspect;
    else
        sy = sx / aspect;
    const double cy = (lat0 + lat1) / 2, cx = (lon0 + lon1) / 2;
    MapExtent e;
    e.lat0 = std::max(-90.0, cy - sy / 2);
    e.lat1 = std::min(90.0, cy + sy / 2);
    e.lon0 = cx - sx / k / 2;
    e.lon1 = cx + sx / k / 2;
    return e;
}

void drawStationMap(QPainter& p, const QRectF& r, const std::vector<MapStation>& stations, double fontPx)
{
    if (std::none_of(stations.begin(), stations.end(), [](const MapStation& s) {
            return std::isfinite(s.latitude) && std::isfinite(s.longitude);
        })) {
        p.setFont(mapFont(fontPx));
        p.setPen(QPen(kInk, 0));
        p.drawRect(r);
        p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, QString::fromUtf8(text::kReportNoPositions));
        return;
    }
    const MapExtent e = mapExtent(stations, r.width(), r.height());
    const CastScale x{e.lon0, e.lon1, r.left(), r.right(), false};
    const CastScale y{e.lat0, e.lat1, r.bottom(), r.top(), false};
    const QFont tick = mapFont(fontPx * 0.8);
    const QFontMetricsF m(tick, p.device());
    p.setFont(tick);
    p.setBrush(Qt::NoBrush);
    // Longitude labels are wider than the numbers of the other axes: fewer of them.
    const double labelW = m.horizontalAdvance(degreeLabel(-179.99, false)) * 1.4;
    for (const CastTick& t : linearTicks(e.lon0, e.lon1, std::max(2, static_cast<int>(r.width() / labelW)))) {
        const double px = x.map(t.value);
        p.setPen(QPen(kGrid, 0));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        p.setPen(QPen(kInk, 0));
        const QString label = degreeLabel(t.value, false);
        const double w = m.horizontalAdvance(label);
        p.drawText(QRectF(px - w / 2, r.bottom() + 2, w, m.height()), Qt::AlignCenter, label);
    }
    double room = 0.0;
    for (const CastTick& t : linearTicks(e.lat0, e.lat1, std::max(2, static_cast<int>(r.height() / (m.height() * 2))))) {
        const double py = y.map(t.value);
        p.setPen(QPen(kGrid, 0));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        p.setPen(QPen(kInk, 0));
        const QString label = degreeLabel(t.value, true);
        const double w = m.horizontalAdvance(label);
        p.drawText(QRectF(r.left() - 4 - w, py - m.height() / 2, w, m.height()), Qt::AlignRight | Qt::AlignVCenter,
                   label);
        room = std::max(room, w + 4);
    }
    p.setPen(QPen(kInk, 0));
    p.drawRect(r);
    const QFont title = mapFont(fontPx * 0.9);
    const QFontMetricsF tm(title, p.device());
    p.setFont(title);
    p.drawText(QRectF(r.left(), r.bottom() + m.height() + 2, r.width(), tm.height()), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromUtf8(text::kReportLongitude));
    p.save();
    p.translate(r.left() - room - tm.height() * 0.3, r.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-r.height() / 2, -tm.height(), r.height(), tm.height()), Qt::AlignCenter,
               QString::fromUtf8(text::kReportLatitude));
    p.restore();

    // The dots, then the labels beside them: right of the dot, else left, above or
    // below, where a label neither leaves the map nor covers one drawn before.
    const QFont labelFont = mapFont(fontPx * 0.75);
    const QFontMetricsF lm(labelFont, p.device());
    const double dot = std::max(2.0, fontPx * 0.3);
    p.setRenderHint(QPainter::Antialiasing, true);
    std::vector<QRectF> taken;
    for (const MapStation& s : stations) {
        if (!std::isfinite(s.latitude) || !std::isfinite(s.longitude))
            continue;
        const QPointF at(x.map(s.longitude), y.map(s.latitude));
        p.setPen(QPen(kInk, 0));
        p.setBrush(s.colour);
        p.drawEllipse(at, dot, dot);
        taken.push_back(QRectF(at.x() - dot, at.y() - dot, 2 * dot, 2 * dot));
    }
    p.setBrush(Qt::NoBrush);
    p.setFont(labelFont);
    for (const MapStation& s : stations) {
        if (!std::isfinite(s.latitude) || !std::isfinite(s.longitude) || s.label.isEmpty())
            continue;
        const QPointF at(x.map(s.longitude), y.map(s.latitude));
        const double w = lm.horizontalAdvance(s.label), h = lm.height(), d = dot * 1.6;
        const QRectF candidates[] = {{at.x() + d, at.y() - h / 2, w, h},
                                     {at.x() - d - w, at.y() - h / 2, w, h},
                                     {at.x() - w / 2, at.y() - d - h, w, h},
                                     {at.x() - w / 2, at.y() + d, w, h}};
        const QRectF* chosen = nullptr;
        for (const QRectF& c : candidates) {
            const bool inside = r.contains(c);
            const bool free = std::none_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(c); });
            if (inside && free) {
                chosen = &c;
                break;
            }
            if (inside && !chosen)
                chosen = &c;  // inside though crowded: better than cut at the frame
        }
        const QRectF place = chosen ? *chosen : candidates[at.x() + d + w <= r.right() ? 0 : 1];
        taken.push_back(place);
        p.setPen(QPen(kInk, 0));
        p.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, s.label);
    }
}

}  // namespace kavro
