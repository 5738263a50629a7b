#include "plots/cast/CruiseReport.h"

#include "core/FrameTimes.h"
#include "platform/FileReplacement.h"
#include "plots/cast/CastAxes.h"
#include "plots/cast/CastPlot.h"
#include "plots/cast/QuickLook.h"
#include "plots/cast/ReproduciblePdf.h"
#include "plots/cast/StationMap.h"
#include "resources/CastPlotTexts.h"
#include "resources/CruiseTexts.h"

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPicture>
#include <QStringList>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>

namespace kavro {
namespace {

constexpr int kDpi = 96;
const QColor kInk(30, 30, 30);
const QColor kGrid(225, 225, 225);
// Line colours of the casts, then again dashed, then dotted.
const QColor kCastColours[] = {{31, 119, 180}, {255, 127, 14}, {44, 160, 44},  {214, 39, 40},  {148, 103, 189},
                               {140, 86, 75},  {227, 119, 194}, {127, 127, 127}, {188, 189, 34}, {23, 190, 207}};
constexpr int kColourCount = 10;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString formatted(const char* format, auto... args)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return QString::fromUtf8(buffer);
}

QPen castPen(std::size_t i, double width)
{
    QPen pen(kCastColours[i % kColourCount], width);
    const std::size_t round = i / kColourCount;
    pen.setStyle(round == 0 ? Qt::SolidLine : round == 1 ? Qt::DashLine : Qt::DotLine);
    return pen;
}

QFont reportFont(double px, bool bold = false)
{
    QFont f(QString::fromUtf8(text::kCastFontFace));
    f.setPixelSize(std::max(5, static_cast<int>(std::lround(px))));
    f.setBold(bold);
    return f;
}

QString positionText(double lat, double lon)
{
    if (!std::isfinite(lat) || !std::isfinite(lon))
        return QString::fromUtf8(text::kReportNoPosition);
    return formatted(text::kReportPosition, std::fabs(lat), lat < 0 ? 'S' : 'N', std::fabs(lon), lon < 0 ? 'W' : 'E');
}

QString timeText(double t)
{
    return std::isfinite(t) ? qs(formatUtcTimestamp(t)).left(19).replace('T', ' ')
                            : QString::fromUtf8(text::kReportNoTime);
}

class Report {
public:
    Report(const std::vector<CruiseReportCast>& casts, const CruiseReportInfo& info, const CruiseReportScale& scale)
        : casts_(casts), info_(info), scaleLo_(scale.volumeLo), scaleHi_(scale.volumeHi), maxDepth_(scale.maxDepth)
    {
    }
    // The cruise page, or the page of one cast (page > 1), recorded.
    DrawnReportPage document(const CruiseReportCast* cast, int page, int pageCount);

private:
    void cruisePage(QPainter& p, const QRectF& page);
    void castPage(QPainter& p, const QRectF& page, const CruiseReportCast& c);
    void profilePanel(QPainter& p, const QRectF& r, const char* title, int value, bool logX, bool depthLabels);
    void spectrumPanel(QPainter& p, const QRectF& r);
    void table(QPainter& p, const QRectF& r);
    void stationMap(QPainter& p, const QRectF& r);
    QString attributesLine() const;
    void footer(QPainter& p, const QRectF& page, int number, int count);
    const char* axisWord() const { return info_.pressureAxis ? text::kReportPressureWord : text::kReportDepthWord; }
    QString scaleText() const
    {
        return formatted(text::kReportColourScale, shortNumber(scaleLo_).toUtf8().constData(),
                         shortNumber(scaleHi_).toUtf8().constData());
    }

    const std::vector<CruiseReportCast>& casts_;
    const CruiseReportInfo& info_;
    double scaleLo_ = 1e-3, scaleHi_ = 1.0;
    double maxDepth_ = 0.0;
    double fontPx_ = 13.0;
};

// A frame with ticks; x and y scales set by the caller.
void axesFrame(QPainter& p, const QRectF& r, const CastScale& x, const CastScale& y, double fontPx, bool xLog,
               bool yLabels, const QString& xTitle, const QString& yTitle)
{
    p.setPen(QPen(kInk, 0));
    p.setBrush(Qt::NoBrush);
    const QFont tick = reportFont(fontPx * 0.8);
    p.setFont(tick);
    const QFontMetricsF m(tick, p.device());
    const auto xt = xLog ? logTicks(x.lo, x.hi, std::max(2, static_cast<int>(r.width() / (m.height() * 4))))
                         : linearTicks(x.lo, x.hi, std::max(2, static_cast<int>(r.width() / (m.height() * 4))));
    for (const CastTick& t : xt) {
        const double px = x.map(t.value);
        p.setPen(QPen(kGrid, 0));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        p.setPen(QPen(kInk, 0));
        p.drawText(QRectF(px - 40, r.bottom() + 2, 80, m.height()), Qt::AlignHCenter | Qt::AlignTop, t.label);
    }
    const auto yt = linearTicks(std::min(y.lo, y.hi), std::max(y.lo, y.hi),
                                std::max(2, static_cast<int>(r.height() / (m.height() * 2))));
    for (const CastTick& t : yt) {
        const double py = y.map(t.value);
        p.setPen(QPen(kGrid, 0));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        p.setPen(QPen(kInk, 0));
        if (yLabels)
            p.drawText(QRectF(r.left() - 60, py - m.height() / 2, 56, m.height()), Qt::AlignRight | Qt::AlignVCenter,
                       t.label);
    }
    p.drawRect(r);
    p.setFont(reportFont(fontPx * 0.9));
    p.drawText(QRectF(r.left(), r.bottom() + m.height() + 2, r.width(), m.height() * 1.4), Qt::AlignHCenter | Qt::AlignTop,
               xTitle);
    if (!yTitle.isEmpty()) {
        p.save();
        p.translate(r.left() - 4.6 * fontPx, r.center().y());
        p.rotate(-90);
        p.drawText(QRectF(-r.height() / 2, -fontPx, r.height(), fontPx * 1.4), Qt::AlignCenter, yTitle);
        p.restore();
    }
}

void Report::profilePanel(QPainter& p, const QRectF& r, const char* title, int value, bool logX, bool depthLabels)
{
    double lo = NAN, hi = NAN;
    for (const CruiseReportCast& c : casts_)
        for (const BinSums& b : c.cast->profile.bins) {
            const double v = b.frames > 0 ? b.mean(value) : NAN;
            if (std::isfinite(v) && (!logX || v > 0)) {
                lo = std::isfinite(lo) ? std::min(lo, v) : v;
                hi = std::isfinite(hi) ? std::max(hi, v) : v;
            }
        }
    if (!std::isfinite(lo)) {
        lo = logX ? 0.1 : 0.0;
        hi = logX ? 10.0 : 1.0;
    }
    if (logX) {
        lo = std::pow(10.0, std::floor(std::log10(lo)));
        hi = std::pow(10.0, std::ceil(std::log10(hi) + 1e-9));
    } else {
        paddedRange(lo, hi, false);
    }
    CastScale x{lo, hi, r.left(), r.right(), logX};
    CastScale y{0.0, maxDepth_, r.top(), r.bottom(), false};
    const QString depth =
        formatted(info_.pressureAxis ? text::kReportPressure : text::kReportDepth, info_.depthUnits.c_str());
    axesFrame(p, r, x, y, fontPx_, logX, depthLabels, QString::fromUtf8(title), depthLabels ? depth : QString());
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (std::size_t i = 0; i < casts_.size(); ++i) {
        const CastProfile& prof = casts_[i].cast->profile;
        QPainterPath path;
        bool open = false;
        for (std::size_t k = 0; k < prof.bins.size(); ++k) {
            const double v = prof.bins[k].frames > 0 ? prof.bins[k].mean(value) : NAN;
            if (!std::isfinite(v) || (logX && v <= 0)) {
                open = false;  // an empty bin breaks the line
                continue;
            }
            const QPointF pt(x.map(v), y.map(prof.binCentre(k)));
            if (open)
                path.lineTo(pt);
            else
                path.moveTo(pt);
            open = true;
        }
        p.setPen(castPen(i, 1.4));
        p.drawPath(path);
    }
    p.restore();
}

void Report::spectrumPanel(QPainter& p, const QRectF& r)
{
    // The spectra as dV/dlnD: the volume per class divided by the class's width in
    // ln D, so that casts of models with other class widths compare.
    std::vector<ClassValues> spectra;
    double dlo = NAN, dhi = NAN, vhi = 0.0;
    for (const CruiseReportCast& c : casts_) {
        const ClassEdges e = modelClassEdges(c.cast->model);
        dlo = std::isfinite(dlo) ? std::min(dlo, e[0]) : e[0];
        dhi = std::isfinite(dhi) ? std::max(dhi, e[kClasses]) : e[kClasses];
        const ClassValues perLnD =
            sizeDistributionFactors(c.cast->diameters, classEdgesFor(c.cast->diameters, c.cast->model)).volume;
        ClassValues& spectrum = spectra.emplace_back();
        for (std::size_t k = 0; k < spectrum.size(); ++k) {
            spectrum[k] = c.cast->profile.meanSpectrum[k] * perLnD[k];
            if (std::isfinite(spectrum[k]))
                vhi = std::max(vhi, spectrum[k]);
        }
    }
    if (!std::isfinite(dlo)) {
        dlo = 1.0;
        dhi = 1000.0;
    }
    double vlo = 0.0;
    if (vhi <= 0.0)
        vhi = 1.0;
    paddedRange(vlo, vhi, true);
    CastScale x{dlo, dhi, r.left(), r.right(), true};
    CastScale y{vlo, vhi, r.bottom(), r.top(), false};
    axesFrame(p, r, x, y, fontPx_, true, true, QString::fromUtf8(text::kReportSpectrumX),
              QString::fromUtf8(text::kReportSpectrumY));
    p.setFont(reportFont(fontPx_, true));
    // Over two lines when the panel is too narrow for one: whole, never cut short.
    p.drawText(QRectF(r.left(), r.top() - fontPx_ * 3.0, r.width(), fontPx_ * 2.8),
               Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, QString::fromUtf8(text::kReportSpectrum));
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (std::size_t i = 0; i < casts_.size(); ++i) {
        const ProfileCast& c = *casts_[i].cast;
        QPainterPath path;
        bool open = false;
        for (int k = 0; k < kClasses; ++k) {
            const double v = spectra[i][static_cast<std::size_t>(k)];
            const double d = c.diameters[static_cast<std::size_t>(k)];
            if (!std::isfinite(v) || d <= 0) {
                open = false;
                continue;
            }
            const QPointF pt(x.map(d), y.map(v));
            open ? path.lineTo(pt) : path.moveTo(pt);
            open = true;
        }
        p.setPen(castPen(i, 1.4));
        p.drawPath(path);
    }
    p.restore();
}

void Report::table(QPainter& p, const QRectF& r)
{
    // Every cell's text first: the columns are as wide as their widest text, and the
    // font is made smaller until the whole table fits, so that nothing is cut short.
    std::vector<std::array<QString, 8>> cells;
    std::array<QString, 8>& head = cells.emplace_back();
    for (int c = 0; c < 8; ++c)
        head[static_cast<std::size_t>(c)] = formatted(text::kReportTableHead[c], axisWord(), info_.depthUnits.c_str());
    for (const CruiseReportCast& rc : casts_) {
        const ProfileCast& c = *rc.cast;
        cells.push_back({qs(c.name), qs(c.station),
                         std::isfinite(c.latitude) ? QString::number(c.latitude, 'f', 4) : QString(),
                         std::isfinite(c.longitude) ? QString::number(c.longitude, 'f', 4) : QString(),
                         timeText(c.profile.firstUtc).left(16), QString::number(c.profile.frames),
                         std::isfinite(c.profile.maxPressure)
                             ? shortNumber(std::round(c.profile.maxPressure * 100) / 100)
                             : QString(),
                         std::isfinite(c.profile.medianD50) ? QString::number(c.profile.medianD50, 'f', 1) : QString()});
    }
    const std::size_t rows = cells.size();
    double px = std::min(fontPx_ * 0.8, r.height() / static_cast<double>(rows) / 1.3);
    std::array<double, 8> widths{};
    double sample = 0.0, gap = 0.0;
    for (;;) {
        const QFontMetricsF hm(reportFont(px, true), p.device()), bm(reportFont(px), p.device());
        sample = px * 1.6;
        gap = px * 0.8;
        double total = sample;
        for (std::size_t c = 0; c < 8; ++c) {
            widths[c] = 0.0;
            for (std::size_t row = 0; row < rows; ++row)
                widths[c] = std::max(widths[c], (row == 0 ? hm : bm).horizontalAdvance(cells[row][c]));
            total += widths[c] + gap;
        }
        if (total <= r.width() || px <= 5.0)
            break;
        px = std::max(5.0, px * r.width() / total * 0.98);
    }
    const double rowH = px * 1.3;
    auto cellRect = [&](std::size_t row, std::size_t col) {
        double x = r.left() + sample;  // room for the line sample
        for (std::size_t c = 0; c < col; ++c)
            x += widths[c] + gap;
        return QRectF(x, r.top() + static_cast<double>(row) * rowH, widths[col] + gap / 2, rowH);
    };
    p.setPen(QPen(kInk, 0));
    for (std::size_t row = 0; row < rows; ++row) {
        p.setFont(reportFont(px, row == 0));
        if (row > 0) {
            const double y = r.top() + (static_cast<double>(row) + 0.5) * rowH;
            p.setPen(castPen(row - 1, 2.0));
            p.drawLine(QPointF(r.left() + 1, y), QPointF(r.left() + sample - 3, y));
            p.setPen(QPen(kInk, 0));
        }
        for (std::size_t c = 0; c < 8; ++c)
            p.drawText(cellRect(row, c), Qt::AlignLeft | Qt::AlignVCenter, cells[row][c]);
    }
    p.drawLine(QPointF(r.left(), r.top() + rowH), QPointF(r.right(), r.top() + rowH));
}

void Report::stationMap(QPainter& p, const QRectF& r)
{
    std::vector<MapStation> stations;
    for (std::size_t i = 0; i < casts_.size(); ++i) {
        const ProfileCast& c = *casts_[i].cast;
        stations.push_back({c.latitude, c.longitude, qs(c.station.empty() ? c.name : c.station),
                            kCastColours[i % kColourCount]});
    }
    p.setFont(reportFont(fontPx_, true));
    p.setPen(QPen(kInk, 0));
    p.drawText(QRectF(r.left(), r.top() - fontPx_ * 1.6, r.width(), fontPx_ * 1.4), Qt::AlignLeft,
               QString::fromUtf8(text::kReportMap));
    drawStationMap(p, r, stations, fontPx_);
}

QString Report::attributesLine() const
{
    QStringList parts;
    for (const auto& [name, label] : text::kReportAttributes)
        for (const auto& [key, value] : info_.attributes)
            if (key == name && !value.empty()) {
                parts << formatted(text::kReportAttribute, label, value.c_str());
                break;
            }
    return parts.join(QString::fromUtf8(text::kReportAttributeSeparator));
}

void Report::footer(QPainter& p, const QRectF& page, int number, int count)
{
    p.setFont(reportFont(fontPx_ * 0.8));
    p.setPen(QPen(kInk, 0));
    p.drawText(QRectF(page.left(), page.bottom() - fontPx_ * 1.2, page.width(), fontPx_ * 1.2),
               Qt::AlignRight | Qt::AlignBottom, formatted(text::kReportPageNumber, number, count));
}

void Report::cruisePage(QPainter& p, const QRectF& page)
{
    const double f = fontPx_;
    p.setPen(QPen(kInk, 0));
    p.setFont(reportFont(f * 1.5, true));
    p.drawText(QRectF(page.left(), page.top(), page.width(), f * 2), Qt::AlignLeft | Qt::AlignTop, qs(info_.title));
    double y = page.top() + f * 2.1;
    p.setFont(reportFont(f));
    // Who made the data and under which licence, when the attributes say.
    if (const QString who = attributesLine(); !who.isEmpty()) {
        const QRectF box(page.left(), y, page.width(), f * 2.8);
        const QRectF used = p.boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, who);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, who);
        y += std::min(used.height(), box.height()) + f * 0.2;
    }
    double t0 = NAN, t1 = NAN;
    for (const CruiseReportCast& c : casts_)
        for (double t : {c.cast->profile.firstUtc, c.cast->profile.lastUtc})
            if (std::isfinite(t)) {
                t0 = std::isfinite(t0) ? std::min(t0, t) : t;
                t1 = std::isfinite(t1) ? std::max(t1, t) : t;
            }
    p.drawText(QRectF(page.left(), y, page.width(), f * 1.4), Qt::AlignLeft | Qt::AlignTop,
               std::isfinite(t0) ? formatted(text::kReportCruiseLine, static_cast<int>(casts_.size()), axisWord(),
                                             info_.binSize, info_.depthUnits.c_str(), timeText(t0).toUtf8().constData(),
                                             timeText(t1).toUtf8().constData())
                                 : formatted(text::kReportCruiseLineUntimed, static_cast<int>(casts_.size()),
                                             axisWord(), info_.binSize, info_.depthUnits.c_str()));
    y += f * 1.4;
    p.drawText(QRectF(page.left(), y, page.width(), f * 1.4), Qt::AlignLeft | Qt::AlignTop, scaleText());
    y += f * 1.4;
    if (casts_.empty()) {
        p.drawText(QRectF(page.left(), y + f * 1.5, page.width(), f * 1.4), Qt::AlignLeft,
                   QString::fromUtf8(text::kReportNoCasts));
        return;
    }
    // Three profiles side by side on one depth axis and the map of the stations; under
    // them the spectra and the table.
    const double top = y + f * 2.6, left = page.left() + f * 6;
    const double profileH = (page.height() - (top - page.top())) * 0.5;
    const double gap = f * 2.0;
    const double mapW = std::min(profileH * 1.1, (page.right() - left) * 0.3);
    const double mapLeft = page.right() - mapW;
    const double w = (mapLeft - f * 5.5 - left - 2 * gap) / 3.0;
    const QRectF r1(left, top, w, profileH), r2(left + w + gap, top, w, profileH), r3(left + 2 * (w + gap), top, w, profileH);
    profilePanel(p, r1, text::kReportD50, kBinD50, true, true);
    profilePanel(p, r2, text::kReportTotal, kBinTotal, true, false);
    profilePanel(p, r3, text::kReportJunge, kBinJunge, false, false);
    stationMap(p, QRectF(mapLeft, top, mapW, profileH));
    const double lowerTop = top + profileH + f * 5.5;
    const double lowerH = page.bottom() - lowerTop - f * 3.5;
    spectrumPanel(p, QRectF(left, lowerTop, (page.right() - left) * 0.36, lowerH));
    const double tableLeft = left + (page.right() - left) * 0.36 + gap;
    table(p, QRectF(tableLeft, lowerTop - f * 1.6, page.right() - tableLeft, lowerH + f * 3.0));
}

void Report::castPage(QPainter& p, const QRectF& page, const CruiseReportCast& c)
{
    const double f = fontPx_;
    const ProfileCast& cast = *c.cast;
    p.setPen(QPen(kInk, 0));
    p.setFont(reportFont(f * 1.3, true));
    p.drawText(QRectF(page.left(), page.top(), page.width(), f * 1.8), Qt::AlignLeft | Qt::AlignTop,
               formatted(text::kReportCastTitle, cast.name.c_str(), cast.station.c_str(),
                         positionText(cast.latitude, cast.longitude).toUtf8().constData()));
    p.setFont(reportFont(f));
    p.drawText(QRectF(page.left(), page.top() + f * 1.9, page.width(), f * 1.4), Qt::AlignLeft | Qt::AlignTop,
               scaleText());
    const double top = page.top() + f * 3.6;
    const QRectF area(page.left(), top, page.width(), page.bottom() - top - f * 1.4);
    const QSizeF left(area.width() * 0.6, area.height()), right(area.width() * 0.4 - f, area.height());
    CastPlot overview(*c.overview, CastPlot::Orientation::AlongX);
    overview.setVolumeScale(scaleLo_, scaleHi_);
    p.save();
    p.translate(area.topLeft());
    overview.draw(p, left.toSize());
    p.restore();
    CastPlot profile(*c.profile, CastPlot::Orientation::Profile);
    profile.setVolumeScale(scaleLo_, scaleHi_);
    p.save();
    p.translate(area.left() + left.width() + f, area.top());
    profile.draw(p, right.toSize());
    p.restore();
}

}  // namespace

// The page as the painter's commands, replayed into the report's one writer.
class CruiseReportPage {
public:
    QPicture picture;
};

namespace {

QPageLayout reportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

}  // namespace

DrawnReportPage Report::document(const CruiseReportCast* cast, int page, int pageCount)
{
    auto drawn = std::make_shared<CruiseReportPage>();
    QPainter p;
    if (!p.begin(&drawn->picture))
        return nullptr;
    // The picture's device is measured as the writer is (kDpi): text laid out here
    // keeps its size on the page.
    const QRect paint = reportPageLayout().paintRectPixels(kDpi);
    const QRectF area(0, 0, paint.width(), paint.height());
    fontPx_ = std::clamp(area.height() / 52.0, 9.0, 16.0);
    if (cast)
        castPage(p, area, *cast);
    else
        cruisePage(p, area);
    footer(p, area, page, pageCount);
    if (!p.end())
        return nullptr;
    return drawn;
}

CruiseReportScale cruiseReportScale(const std::vector<CruiseReportCast>& casts, double binSize)
{
    CruiseReportScale scale;
    float hi = 0.0f;
    for (const CruiseReportCast& c : casts)
        for (const CastSummary* s : {c.overview, c.profile})
            for (const CastColumn& col : s->columns)
                for (float v : col.volume)
                    if (std::isfinite(v))
                        hi = std::max(hi, v);
    if (hi > 0.0f) {
        scale.volumeHi = hi;
        scale.volumeLo = hi * 1e-3;
    }
    for (const CruiseReportCast& c : casts)
        for (std::size_t k = 0; k < c.cast->profile.bins.size(); ++k)
            if (c.cast->profile.bins[k].frames > 0)
                scale.maxDepth = std::max(scale.maxDepth, (static_cast<double>(k) + 1.0) * binSize);
    if (scale.maxDepth <= 0.0)
        scale.maxDepth = binSize;
    return scale;
}

DrawnReportPage drawCruisePage(const std::vector<CruiseReportCast>& casts, const CruiseReportInfo& info,
                               const CruiseReportScale& scale, int pageCount)
{
    return Report(casts, info, scale).document(nullptr, 1, pageCount);
}

DrawnReportPage drawCastPage(const CruiseReportCast& cast, const CruiseReportInfo& info,
                             const CruiseReportScale& scale, int page, int pageCount)
{
    const std::vector<CruiseReportCast> none;
    return Report(none, info, scale).document(&cast, page, pageCount);
}

bool writeCruiseReport(const std::vector<DrawnReportPage>& pages, const CruiseReportInfo& info,
                       const std::string& path)
{
    if (pages.empty() || std::any_of(pages.begin(), pages.end(), [](const DrawnReportPage& p) { return !p; }))
        return false;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly))
            return false;
        QPdfWriter writer(&buffer);
        writer.setResolution(kDpi);
        writer.setPageLayout(reportPageLayout());
        writer.setTitle(qs(info.title));
        writer.setCreator(QString::fromUtf8(text::kReportCreator));
        QPainter p;
        if (!p.begin(&writer))
            return false;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0 && !writer.newPage())
                return false;
            p.drawPicture(0, 0, pages[i]->picture);
        }
        if (!p.end())
            return false;
    }
    std::string pdf = bytes.toStdString();
    bytes.clear();
    stampPdf(pdf, info.created);
    FileReplacement replacement;
    return replacement.begin(path) && replacement.write(pdf) && replacement.commit();
}

}  // namespace kavro
