#include "plots/cast/CruiseReport.h"

#include "core/FrameTimes.h"
#include "platform/FileReplacement.h"
#include "plots/cast/CastAxes.h"
#include "plots/cast/CastPlot.h"
#include "plots/cast/PdfPages.h"
#include "plots/cast/QuickLook.h"
#include "resources/CastPlotTexts.h"
#include "resources/CruiseTexts.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <cstdio>
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
    // A one-page PDF: the cruise page, or the page of one cast (page > 1).
    std::optional<std::string> document(const CruiseReportCast* cast, int page, int pageCount);

private:
    void cruisePage(QPainter& p, const QRectF& page);
    void castPage(QPainter& p, const QRectF& page, const CruiseReportCast& c);
    void profilePanel(QPainter& p, const QRectF& r, const char* title, int value, bool logX, bool depthLabels);
    void spectrumPanel(QPainter& p, const QRectF& r);
    void table(QPainter& p, const QRectF& r);
    void footer(QPainter& p, const QRectF& page, int number, int count);
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
    const QString depth = formatted(text::kReportDepth, info_.depthUnits.c_str());
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
    p.drawText(QRectF(r.left(), r.top() - fontPx_ * 1.6, r.width(), fontPx_ * 1.4), Qt::AlignLeft,
               QString::fromUtf8(text::kReportSpectrum));
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
    const std::size_t rows = casts_.size() + 1;
    const double rowH = std::min(fontPx_ * 1.3, r.height() / static_cast<double>(rows));
    const QFont body = reportFont(rowH / 1.3 * 0.8), head = reportFont(rowH / 1.3 * 0.8, true);
    const double widths[] = {0.09, 0.17, 0.10, 0.11, 0.21, 0.09, 0.10, 0.13};
    auto cellRect = [&](std::size_t row, int col) {
        double x = r.left() + rowH;  // room for the line sample
        for (int c = 0; c < col; ++c)
            x += widths[c] * (r.width() - rowH);
        return QRectF(x, r.top() + static_cast<double>(row) * rowH, widths[col] * (r.width() - rowH) - 4, rowH);
    };
    p.setFont(head);
    p.setPen(QPen(kInk, 0));
    const QFontMetricsF hm(head, p.device());
    for (int c = 0; c < 8; ++c) {
        const QRectF cell = cellRect(0, c);
        p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                   hm.elidedText(QString::fromUtf8(text::kReportTableHead[c]), Qt::ElideRight, cell.width()));
    }
    p.drawLine(QPointF(r.left(), r.top() + rowH), QPointF(r.right(), r.top() + rowH));
    p.setFont(body);
    for (std::size_t i = 0; i < casts_.size(); ++i) {
        const ProfileCast& c = *casts_[i].cast;
        const std::size_t row = i + 1;
        const double y = r.top() + (static_cast<double>(row) + 0.5) * rowH;
        p.setPen(castPen(i, 2.0));
        p.drawLine(QPointF(r.left() + 1, y), QPointF(r.left() + rowH - 3, y));
        p.setPen(QPen(kInk, 0));
        const QFontMetricsF m(body, p.device());
        auto put = [&](int col, const QString& s) {
            const QRectF cell = cellRect(row, col);
            p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, m.elidedText(s, Qt::ElideRight, cell.width()));
        };
        put(0, qs(c.name));
        put(1, qs(c.station));
        put(2, std::isfinite(c.latitude) ? QString::number(c.latitude, 'f', 4) : QString());
        put(3, std::isfinite(c.longitude) ? QString::number(c.longitude, 'f', 4) : QString());
        put(4, timeText(c.profile.firstUtc).left(16));
        put(5, QString::number(c.profile.frames));
        put(6, std::isfinite(c.profile.maxPressure) ? shortNumber(std::round(c.profile.maxPressure * 100) / 100)
                                                    : QString());
        put(7, std::isfinite(c.profile.medianD50) ? QString::number(c.profile.medianD50, 'f', 1) : QString());
    }
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
    double t0 = NAN, t1 = NAN;
    for (const CruiseReportCast& c : casts_)
        for (double t : {c.cast->profile.firstUtc, c.cast->profile.lastUtc})
            if (std::isfinite(t)) {
                t0 = std::isfinite(t0) ? std::min(t0, t) : t;
                t1 = std::isfinite(t1) ? std::max(t1, t) : t;
            }
    p.setFont(reportFont(f));
    p.drawText(QRectF(page.left(), page.top() + f * 2.1, page.width(), f * 1.4), Qt::AlignLeft | Qt::AlignTop,
               std::isfinite(t0) ? formatted(text::kReportCruiseLine, static_cast<int>(casts_.size()), info_.binSize,
                                             info_.depthUnits.c_str(), timeText(t0).toUtf8().constData(),
                                             timeText(t1).toUtf8().constData())
                                 : formatted(text::kReportCruiseLineUntimed, static_cast<int>(casts_.size()),
                                             info_.binSize, info_.depthUnits.c_str()));
    p.drawText(QRectF(page.left(), page.top() + f * 3.5, page.width(), f * 1.4), Qt::AlignLeft | Qt::AlignTop,
               scaleText());
    if (casts_.empty()) {
        p.drawText(QRectF(page.left(), page.top() + f * 6, page.width(), f * 1.4), Qt::AlignLeft,
                   QString::fromUtf8(text::kReportNoCasts));
        return;
    }
    // Three profiles side by side on one depth axis, under them the spectra and the table.
    const double top = page.top() + f * 6.5, left = page.left() + f * 6;
    const double profileH = (page.height() - (top - page.top())) * 0.5;
    const double gap = f * 2.0;
    const double w = (page.right() - left - 2 * gap) / 3.0;
    const QRectF r1(left, top, w, profileH), r2(left + w + gap, top, w, profileH), r3(left + 2 * (w + gap), top, w, profileH);
    profilePanel(p, r1, text::kReportD50, kBinD50, true, true);
    profilePanel(p, r2, text::kReportTotal, kBinTotal, true, false);
    profilePanel(p, r3, text::kReportJunge, kBinJunge, false, false);
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

std::optional<std::string> Report::document(const CruiseReportCast* cast, int page, int pageCount)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly))
            return std::nullopt;
        QPdfWriter writer(&buffer);
        writer.setResolution(kDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        writer.setTitle(qs(info_.title));
        writer.setCreator(QStringLiteral("kavro-cli"));
        QPainter p;
        if (!p.begin(&writer))
            return std::nullopt;
        const QRectF area(0, 0, writer.width(), writer.height());
        fontPx_ = std::clamp(area.height() / 52.0, 9.0, 16.0);
        if (cast)
            castPage(p, area, *cast);
        else
            cruisePage(p, area);
        footer(p, area, page, pageCount);
        if (!p.end())
            return std::nullopt;
    }
    return bytes.toStdString();
}

}  // namespace

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

std::optional<std::string> drawCruisePage(const std::vector<CruiseReportCast>& casts, const CruiseReportInfo& info,
                                          const CruiseReportScale& scale, int pageCount)
{
    return Report(casts, info, scale).document(nullptr, 1, pageCount);
}

std::optional<std::string> drawCastPage(const CruiseReportCast& cast, const CruiseReportInfo& info,
                                        const CruiseReportScale& scale, int page, int pageCount)
{
    const std::vector<CruiseReportCast> none;
    return Report(none, info, scale).document(&cast, page, pageCount);
}

bool writeCruiseReport(const std::vector<std::optional<std::string>>& pages, const std::string& path)
{
    std::vector<std::string_view> documents;
    documents.reserve(pages.size());
    for (const auto& page : pages) {
        if (!page)
            return false;
        documents.emplace_back(*page);
    }
    FileReplacement replacement;
    return replacement.begin(path) &&
           joinPdfPages(documents, [&replacement](std::string_view bytes) { return replacement.write(bytes); }) &&
           replacement.commit();
}

}  // namespace kavro
