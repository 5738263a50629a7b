#include "plots/cast/CastPlot.h"

#include "core/ColourTable.h"
#include "platform/FileUtil.h"
#include "plots/cast/CastAxes.h"
#include "products/CfConventions.h"
#include "resources/CastPlotTexts.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace kavro {

namespace {

const QColor kInk(30, 30, 30);
const QColor kGrid(225, 225, 225);
const QColor kGapFill(246, 246, 246);
const QColor kGapHatch(170, 170, 170);
const QColor kMeanColour(0, 90, 181);
const QColor kD50Colour(220, 90, 0);
const QColor kVolumeColour(40, 40, 40);
const QColor kTransmissionColour(0, 120, 110);
const QColor kLimitColour(190, 40, 40);
const QColor kPressureColour(40, 40, 130);

QString qs(const char* s)
{
    return QString::fromUtf8(s);
}

QString formatted(const char* format, auto... args)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return QString::fromUtf8(buffer);
}

// The title of the pressure channel's axis: what it measures, told by its units (a
// pressure, or a depth in metres), with the units; the channel's label otherwise.
QString pressureTitle(const CastSource& source)
{
    const std::string& units = source.pressureUnits;
    const std::string spelled = udunitsSpelling(units);
    if (!units.empty() && unitsConvertible(spelled, "Pa"))
        return formatted(text::kCastPressureAxis, units.c_str());
    if (!units.empty() && unitsConvertible(spelled, "m"))
        return formatted(text::kCastDepthAxis, units.c_str());
    return units.empty() ? formatted(text::kCastChannelNoUnits, source.pressureLabel.c_str())
                         : formatted(text::kCastChannelAxis, source.pressureLabel.c_str(), units.c_str());
}

}  // namespace

// One panel of a quantity along the frames.
struct CastPlot::Panel {
    QString title;
    std::vector<std::pair<std::function<const CastRange&(const CastColumn&)>, QColor>> series;
    std::vector<QString> legends;
    bool fromZero = true;
    bool depthDown = false;
    bool transmissionLimits = false;
};

CastPlot::CastPlot(const CastSummary& summary, Orientation orientation) : s_(summary), orientation_(orientation)
{
    // The colour scale: three decades under the largest column mean.
    float hi = 0.0f;
    for (const CastColumn& c : s_.columns)
        for (float v : c.volume)
            if (std::isfinite(v))
                hi = std::max(hi, v);
    if (hi > 0.0f) {
        volumeHi_ = hi;
        volumeLo_ = hi * 1e-3;
    }
}

void CastPlot::setVolumeScale(double lo, double hi)
{
    if (lo > 0.0 && hi > lo && std::isfinite(hi)) {
        volumeLo_ = lo;
        volumeHi_ = hi;
    }
}

QFont CastPlot::tickLabelFont() const
{
    QFont f = font(0.85);
    f.setPixelSize(tickPx_);
    return f;
}

QFont CastPlot::font(double scale, bool bold) const
{
    QFont f(qs(text::kCastFontFace));
    f.setPixelSize(std::max(6, static_cast<int>(std::lround(fontPx_ * scale))));
    f.setBold(bold);
    return f;
}

// The least tick label size, and the picture height from which it holds.
constexpr int kLegibleTickPx = 9;
constexpr int kLegibleTicksHeight = 400;

static double fontFor(QSize size)
{
    return std::clamp(std::min(size.width() / 1.6, static_cast<double>(size.height())) / 62.0, 9.0, 28.0);
}

int CastPlot::columnsFor(QSize size, Orientation orientation)
{
    const double f = fontFor(size);
    if (orientation == Orientation::AlongX)
        return std::max(1, static_cast<int>(size.width() - 7.0 * f - 9.5 * f));
    return std::max(1, static_cast<int>(size.height() - 4.6 * f - 5.0 * f - 4.0 * f));
}

void CastPlot::layout(QSize size)
{
    fontPx_ = fontFor(size);
    size_ = size;
    const double f = fontPx_;
    // The font grows with the width, the panels with the height: a tall picture has
    // the room for 9-pixel tick labels, whatever its width.
    tickPx_ = std::max(6, static_cast<int>(std::lround(fontPx_ * 0.85)));
    if (size.height() >= kLegibleTicksHeight)
        tickPx_ = std::max(kLegibleTickPx, tickPx_);
    const double w = size.width(), h = size.height();
    title_ = QRectF(f, 0.5 * f, w - 2 * f, 3.6 * f);
    panels_.clear();
    const int panelCount = s_.hasPressure() && orientation_ == Orientation::AlongX ? 4 : 3;
    if (orientation_ == Orientation::AlongX) {
        const double left = 7.0 * f, right = w - 9.5 * f;
        const double top = 4.6 * f, bottom = h - 4.0 * f;
        const double gap = 0.9 * f;
        const double usable = bottom - top - panelCount * gap;
        const double imageH = usable * 0.42;
        const double panelH = (usable - imageH) / panelCount;
        image_ = QRectF(left, top, right - left, imageH);
        colourBar_ = QRectF(right + 1.2 * f, top, 1.2 * f, imageH);
        double y = top + imageH + gap;
        for (int i = 0; i < panelCount; ++i, y += panelH + gap)
            panels_.push_back(QRectF(left, y, right - left, panelH));
    } else {
        const double top = 4.6 * f + 5.0 * f, bottom = h - 4.0 * f;
        const double left = 7.0 * f, right = w - 1.5 * f;
        const double gap = 2.0 * f;
        const double usable = right - left - panelCount * gap;
        const double imageW = usable * 0.34;
        const double panelW = (usable - imageW) / panelCount;
        image_ = QRectF(left, top, imageW, bottom - top);
        colourBar_ = QRectF(left, top - 3.2 * f, imageW, 1.0 * f);
        double x = left + imageW + gap;
        for (int i = 0; i < panelCount; ++i, x += panelW + gap)
            panels_.push_back(QRectF(x, top, panelW, bottom - top));
    }
    framesArea_ = image_;
    for (const QRectF& r : panels_)
        framesArea_ |= r;
}

double CastPlot::columnStart(int i) const
{
    const double n = static_cast<double>(s_.columns.size());
    return s_.axisFirst + (s_.axisLast - s_.axisFirst) * i / n;
}

double CastPlot::alongPixel(double axisValue) const
{
    const double t = (axisValue - s_.axisFirst) / (s_.axisLast - s_.axisFirst);
    if (orientation_ == Orientation::AlongX)
        return image_.left() + t * image_.width();
    return image_.top() + t * image_.height();
}

std::optional<double> CastPlot::pixelOfFrame(long long n) const
{
    if (s_.columns.empty() || n < 0 || n >= s_.frames)
        return std::nullopt;
    if (s_.axis == CastAxis::Frame)
        return alongPixel(static_cast<double>(n) + 0.5);
    if (s_.axis == CastAxis::Time) {
        const double t = s_.source.frameTimes.utcOfRecord(n);
        if (std::isfinite(t))
            return alongPixel(t);
    }
    const int c = s_.columnOfFrame(n);
    if (c < 0)
        return std::nullopt;
    return (alongPixel(columnStart(c)) + alongPixel(columnStart(c + 1))) / 2.0;
}

std::optional<long long> CastPlot::frameAt(QPointF point) const
{
    if (s_.columns.empty() || !framesArea_.contains(point))
        return std::nullopt;
    const double along = orientation_ == Orientation::AlongX ? (point.x() - image_.left()) / image_.width()
                                                              : (point.y() - image_.top()) / image_.height();
    const double value = s_.axisFirst + std::clamp(along, 0.0, 1.0) * (s_.axisLast - s_.axisFirst);
    if (s_.axis == CastAxis::Frame)
        return std::clamp(static_cast<long long>(std::floor(value)), 0LL, std::max(0LL, s_.frames - 1));
    const int n = static_cast<int>(s_.columns.size());
    const int c = std::clamp(static_cast<int>(along * n), 0, n - 1);
    const CastColumn& column = s_.columns[static_cast<std::size_t>(c)];
    if (column.empty())
        return std::nullopt;
    return column.firstFrame;
}

void CastPlot::draw(QPainter& painter, QSize size)
{
    layout(size);
    painter.save();
    painter.fillRect(QRectF(0, 0, size.width(), size.height()), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    drawTitle(painter, size);
    if (s_.frames == 0 || s_.columns.empty()) {
        painter.setFont(font(1.2));
        painter.setPen(kInk);
        painter.drawText(framesArea_, Qt::AlignCenter, qs(text::kCastNoFrames));
        painter.restore();
        return;
    }
    drawImage(painter);
    drawColourBar(painter);
    drawPanels(painter);
    painter.restore();
}

void CastPlot::drawTitle(QPainter& painter, QSize)
{
    const PsdHeader& h = s_.source.header;
    QString line1 = qs(fileNamePart(s_.source.path).c_str());
    if (h.magicOK && h.model >= 0 && h.model <= 2)
        line1 += qs(text::kCastTitleSeparator) + formatted(text::kCastTitleModel, h.model, static_cast<char>('a' + h.model));
    // The frames the picture shows (a profile: its descent) of the file's.
    line1 += qs(text::kCastTitleSeparator) + (s_.shownFrames == s_.frames
                                                  ? formatted(text::kCastTitleFrames, s_.frames)
                                                  : formatted(text::kCastTitleFramesOf, s_.shownFrames, s_.frames));
    const std::string background = h.backgroundPath.empty() ? text::kCastNoBackground : fileNamePart(h.backgroundPath);
    QString line2 =
        formatted(text::kCastSettings, shortNumber(h.laserReferenceRatio).toUtf8().constData(), background.c_str(),
                  s_.usableFrames, s_.noLightFrames, s_.flaggedFrames);
    if (profileAxis(s_.axis))
        line2 += formatted(text::kCastDescent, s_.lastProfileFrame);
    painter.setPen(kInk);
    painter.setFont(font(1.3, true));
    const QFontMetricsF m1(painter.font(), painter.device());
    painter.drawText(QRectF(title_.left(), title_.top(), title_.width(), m1.height()), Qt::AlignLeft | Qt::AlignTop,
                     m1.elidedText(line1, Qt::ElideMiddle, title_.width()));
    painter.setFont(font(0.9));
    const QFontMetricsF m2(painter.font(), painter.device());
    painter.setPen(QColor(80, 80, 80));
    // Over two lines in a narrow picture (a profile beside its cast's picture).
    const QRectF rest(title_.left(), title_.top() + m1.height() * 1.1, title_.width(), m2.lineSpacing() * 2 + 1);
    const int wrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    if (m2.boundingRect(rest, wrap, line2).height() <= rest.height())
        painter.drawText(rest, wrap, line2);
    else
        painter.drawText(QRectF(rest.topLeft(), QSizeF(rest.width(), m2.height())), Qt::AlignLeft | Qt::AlignTop,
                         m2.elidedText(line2, Qt::ElideRight, title_.width()));
}

namespace {

enum class Side { Left, Bottom, Top };

// Tick marks and labels along one side of plot; labels that would touch the one
// before are left out.  Returns the room the labels took away from the side.
double drawTicks(QPainter& painter, Side side, const QRectF& plot, const CastScale& scale,
                 const std::vector<CastTick>& ticks, const QFont& font, bool grid)
{
    const QFontMetricsF m(font, painter.device());
    const double tick = m.height() * 0.3;
    double room = 0.0;
    double lastEnd = -1e9;
    painter.setFont(font);
    for (const CastTick& t : ticks) {
        const double p = scale.map(t.value);
        const double w = m.horizontalAdvance(t.label);
        if (side == Side::Left) {
            if (p < plot.top() - 0.5 || p > plot.bottom() + 0.5)
                continue;
            if (grid) {
                painter.setPen(QPen(kGrid, 0));
                painter.drawLine(QPointF(plot.left(), p), QPointF(plot.right(), p));
            }
            painter.setPen(QPen(kInk, 0));
            painter.drawLine(QPointF(plot.left() - tick, p), QPointF(plot.left(), p));
            // The lowest label keeps clear of the labels along the bottom edge.
            const double top = std::clamp(p - m.height() / 2, plot.top() - m.height() * 0.45,
                                          plot.bottom() - m.height() * 0.65);
            painter.drawText(QRectF(plot.left() - tick * 2 - w, top, w, m.height()), Qt::AlignRight | Qt::AlignVCenter,
                             t.label);
            room = std::max(room, w + tick * 2);
        } else {
            if (p < plot.left() - 0.5 || p > plot.right() + 0.5)
                continue;
            const double y = side == Side::Bottom ? plot.bottom() : plot.top();
            if (grid) {
                painter.setPen(QPen(kGrid, 0));
                painter.drawLine(QPointF(p, plot.top()), QPointF(p, plot.bottom()));
            }
            painter.setPen(QPen(kInk, 0));
            painter.drawLine(QPointF(p, y), QPointF(p, side == Side::Bottom ? y + tick : y - tick));
            const double left = std::clamp(p - w / 2, plot.left() - w / 2, plot.right() - w / 2);
            if (left < lastEnd + m.horizontalAdvance(QStringLiteral("  ")))
                continue;
            lastEnd = left + w;
            const double top = side == Side::Bottom ? y + tick * 1.5 : y - tick * 1.5 - m.height();
            painter.drawText(QRectF(left, top, w, m.height()), Qt::AlignCenter, t.label);
            room = std::max(room, m.height() + tick * 1.5);
        }
    }
    return room;
}

// An axis title: upright under a bottom axis, turned a quarter left beside a left one.
void drawAxisTitle(QPainter& painter, Side side, const QRectF& plot, double offset, const QString& title,
                   const QFont& font)
{
    painter.setFont(font);
    painter.setPen(kInk);
    const QFontMetricsF m(font, painter.device());
    if (side == Side::Left) {
        // No longer than its panel, so that the titles of stacked panels never run into
        // each other: a title too long for a short panel is set smaller (down to half
        // the size), and only then shortened.
        const double room = std::max(plot.height(), 1.0);
        QFont fitted = font;
        const double advance = m.horizontalAdvance(title);
        if (advance > room) {
            const double scale = std::max(room / advance, 0.5);
            if (font.pointSizeF() > 0)
                fitted.setPointSizeF(font.pointSizeF() * scale);
            else
                fitted.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * scale)));
        }
        const QFontMetricsF fm(fitted, painter.device());
        painter.save();
        painter.setFont(fitted);
        painter.translate(plot.left() - offset - m.descent(), plot.center().y());
        painter.rotate(-90);
        const double w = std::min(fm.horizontalAdvance(title), room);
        painter.drawText(QRectF(-w / 2, -fm.height(), w, fm.height()), Qt::AlignCenter,
                         fm.elidedText(title, Qt::ElideRight, w + 1));
        painter.restore();
    } else {
        const double y = side == Side::Bottom ? plot.bottom() + offset : plot.top() - offset - m.height();
        // A title wider than its plot is set smaller (down to two thirds), then over
        // two lines; cut short only when even those do not hold it.
        QFont fitted = font;
        const double advance = m.horizontalAdvance(title);
        if (advance > plot.width() && font.pixelSize() > 0)
            fitted.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * std::max(plot.width() / advance, 2.0 / 3))));
        const QFontMetricsF fm(fitted, painter.device());
        painter.setFont(fitted);
        const QRectF two(plot.left() - fm.height(), y, plot.width() + 2 * fm.height(), fm.height() * 2.05);
        if (fm.horizontalAdvance(title) <= plot.width())
            painter.drawText(QRectF(plot.left(), y, plot.width(), fm.height()), Qt::AlignHCenter | Qt::AlignTop, title);
        else if (side == Side::Bottom &&
                 fm.boundingRect(two, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title).height() <= two.height())
            painter.drawText(two, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title);
        else
            painter.drawText(QRectF(plot.left(), y, plot.width(), fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                             fm.elidedText(title, Qt::ElideRight, plot.width()));
    }
}

// Runs of columns whose frames are all without a usable distribution (columns
// without frames, a pause in a recording or a depth not passed, stay blank).
template <typename F>
void forEachGap(const std::vector<CastColumn>& columns, F&& f)
{
    const int n = static_cast<int>(columns.size());
    for (int i = 0; i < n;) {
        auto gap = [&](int k) {
            const CastColumn& c = columns[static_cast<std::size_t>(k)];
            return c.usable == 0 && c.frames > 0;
        };
        if (!gap(i)) {
            ++i;
            continue;
        }
        int j = i;
        while (j < n && gap(j))
            ++j;
        f(i, j);
        i = j;
    }
}

}  // namespace

void CastPlot::drawImage(QPainter& painter)
{
    const bool alongX = orientation_ == Orientation::AlongX;
    const int n = static_cast<int>(s_.columns.size());
    const bool diameters = s_.source.hasClassEdges();
    const ClassEdges edges = s_.source.classEdges();
    CastScale size;
    size.log = diameters;
    size.lo = diameters ? edges[0] : 0.5;
    size.hi = diameters ? edges[kClasses] : kClasses + 0.5;
    if (alongX) {
        size.p0 = image_.bottom();
        size.p1 = image_.top();
    } else {
        size.p0 = image_.left();
        size.p1 = image_.right();
    }

    // Gaps first: hatched, so that no frame without light passes for clear water.
    painter.setPen(Qt::NoPen);
    forEachGap(s_.columns, [&](int a, int b) {
        const double p0 = alongPixel(columnStart(a)), p1 = alongPixel(columnStart(b));
        const QRectF r = alongX ? QRectF(p0, image_.top(), p1 - p0, image_.height())
                                : QRectF(image_.left(), p0, image_.width(), p1 - p0);
        painter.fillRect(r, kGapFill);
        painter.fillRect(r, QBrush(kGapHatch, Qt::BDiagPattern));
    });

    // The image: one pixel per column and class, transparent in the gaps.
    const auto map = castColourMap();
    const double l0 = std::log10(volumeLo_), l1 = std::log10(volumeHi_);
    QImage img = alongX ? QImage(n, kClasses, QImage::Format_ARGB32) : QImage(kClasses, n, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int i = 0; i < n; ++i) {
        const CastColumn& c = s_.columns[static_cast<std::size_t>(i)];
        if (c.usable == 0)
            continue;
        for (int k = 0; k < kClasses; ++k) {
            const float v = c.volume[static_cast<std::size_t>(k)];
            const double t = v > 0.0f ? (std::log10(v) - l0) / (l1 - l0) : 0.0;
            const PaletteEntry& e = map[static_cast<std::size_t>(std::lround(std::clamp(t, 0.0, 1.0) * 255.0))];
            const QRgb rgb = qRgb(e.red, e.green, e.blue);
            if (alongX)
                img.setPixel(i, kClasses - 1 - k, rgb);
            else
                img.setPixel(k, i, rgb);
        }
    }
    // Each class is drawn between its own edges on the size axis: the edges come
    // from the stored class diameters, which need not be evenly spaced in log D.
    const double a0 = alongPixel(s_.axisFirst), a1 = alongPixel(s_.axisLast);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int k = 0; k < kClasses; ++k) {
        const std::size_t j = static_cast<std::size_t>(k);
        const double lo = size.map(diameters ? edges[j] : k + 0.5);
        const double hi = size.map(diameters ? edges[j + 1] : k + 1.5);
        // The class's own strip, copied: a device that records or embeds the image
        // (a PDF, a recorded page) then holds one strip per class, not the whole
        // image once for every class.
        if (alongX)
            painter.drawImage(QRectF(a0, hi, a1 - a0, lo - hi), img.copy(0, kClasses - 1 - k, n, 1));
        else
            painter.drawImage(QRectF(lo, a0, hi - lo, a1 - a0), img.copy(k, 0, 1, n));
    }
    painter.restore();
    painter.setPen(QPen(kInk, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(image_);

    const QFont tickFont = tickLabelFont();
    const QFont titleFont = font(1.0);
    const QFontMetricsF m(tickFont, painter.device());
    const QString title = qs(diameters ? text::kCastDiameterAxis : text::kCastClassAxis);
    if (alongX) {
        const int maxTicks = std::max(2, static_cast<int>(image_.height() / (m.height() * 1.6)));
        const auto ticks = diameters ? logTicks(size.lo, size.hi, maxTicks) : linearTicks(1, kClasses, maxTicks, true);
        const double room = drawTicks(painter, Side::Left, image_, size, ticks, tickFont, false);
        drawAxisTitle(painter, Side::Left, image_, room + m.height() * 0.4, title, titleFont);
        drawAlongAxis(painter, image_, false);
    } else {
        const int maxTicks = std::max(2, static_cast<int>(image_.width() / (m.horizontalAdvance(QStringLiteral("0000")) * 1.6)));
        const auto ticks = diameters ? logTicks(size.lo, size.hi, maxTicks) : linearTicks(1, kClasses, maxTicks, true);
        const double room = drawTicks(painter, Side::Bottom, image_, size, ticks, tickFont, false);
        drawAxisTitle(painter, Side::Bottom, image_, room + m.height() * 0.2, title, titleFont);
        drawAlongAxis(painter, image_, true);
    }
}

void CastPlot::drawColourBar(QPainter& painter)
{
    const bool vertical = orientation_ == Orientation::AlongX;
    const auto map = castColourMap();
    QImage bar = vertical ? QImage(1, 256, QImage::Format_RGB32) : QImage(256, 1, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = map[static_cast<std::size_t>(i)];
        if (vertical)
            bar.setPixel(0, 255 - i, qRgb(e.red, e.green, e.blue));
        else
            bar.setPixel(i, 0, qRgb(e.red, e.green, e.blue));
    }
    painter.drawImage(colourBar_, bar);
    painter.setPen(QPen(kInk, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(colourBar_);

    CastScale scale;
    scale.log = true;
    scale.lo = volumeLo_;
    scale.hi = volumeHi_;
    const QFont tickFont = tickLabelFont();
    const QFontMetricsF m(tickFont, painter.device());
    const double tick = m.height() * 0.3;
    painter.setFont(tickFont);
    if (vertical) {
        scale.p0 = colourBar_.bottom();
        scale.p1 = colourBar_.top();
        const auto ticks = logTicks(scale.lo, scale.hi, std::max(2, static_cast<int>(colourBar_.height() / (m.height() * 1.6))));
        double room = 0.0;
        for (const CastTick& t : ticks) {
            const double y = scale.map(t.value);
            painter.drawLine(QPointF(colourBar_.right(), y), QPointF(colourBar_.right() + tick, y));
            const double w = m.horizontalAdvance(t.label);
            painter.drawText(QRectF(colourBar_.right() + tick * 2, y - m.height() / 2, w, m.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, t.label);
            room = std::max(room, w);
        }
        // The title turned a quarter right, reading downwards beside the labels.
        const QFont titleFont = font(1.0);
        const QFontMetricsF tm(titleFont, painter.device());
        painter.setFont(titleFont);
        painter.save();
        painter.translate(colourBar_.right() + tick * 2 + room + tm.height() * 0.3, colourBar_.center().y());
        painter.rotate(90);
        const QString title = qs(text::kCastVolumeAxis);
        // No longer than the bar, clear of the panels' legends below it.
        const double w = std::min(tm.horizontalAdvance(title), colourBar_.height());
        painter.drawText(QRectF(-w / 2, -tm.height(), w, tm.height()), Qt::AlignCenter,
                         tm.elidedText(title, Qt::ElideRight, w + 1));
        painter.restore();
    } else {
        scale.p0 = colourBar_.left();
        scale.p1 = colourBar_.right();
        const auto ticks = logTicks(scale.lo, scale.hi, std::max(2, static_cast<int>(colourBar_.width() / (m.horizontalAdvance(QStringLiteral("00000")) * 1.5))));
        const double room = drawTicks(painter, Side::Bottom, colourBar_, scale, ticks, tickFont, false);
        (void)room;
        // The title from the bar's left end over the picture's width, clear of the
        // panels' legends under it: the bar is narrower than the words.
        const QFont titleFont = font(1.0);
        const QFontMetricsF tm(titleFont, painter.device());
        painter.setFont(titleFont);
        painter.setPen(kInk);
        const double across = size_.width() - colourBar_.left() - fontPx_ * 0.5;
        const QString title = qs(text::kCastVolumeAxis);
        painter.drawText(QRectF(colourBar_.left(), colourBar_.top() - m.height() * 0.3 - tm.height(), across, tm.height()),
                         Qt::AlignLeft | Qt::AlignTop, tm.elidedText(title, Qt::ElideRight, across));
    }
}

void CastPlot::drawAlongAxis(QPainter& painter, const QRectF& plot, bool labels)
{
    const bool alongX = orientation_ == Orientation::AlongX;
    CastScale scale;
    scale.lo = s_.axisFirst;
    scale.hi = s_.axisLast;
    scale.p0 = alongX ? plot.left() : plot.top();
    scale.p1 = alongX ? plot.right() : plot.bottom();
    const QFont tickFont = tickLabelFont();
    const QFontMetricsF m(tickFont, painter.device());
    std::vector<CastTick> ticks;
    QString title;
    if (s_.axis == CastAxis::Time) {
        const double labelW = m.horizontalAdvance(QStringLiteral("00:00:00")) * 1.8;
        ticks = timeTicks(scale.lo, scale.hi, std::max(2, static_cast<int>((scale.p1 - scale.p0) / (alongX ? labelW : m.height() * 2.0))));
        title = formatted(text::kCastTimeAxis, utcDate(scale.lo).toUtf8().constData());
    } else if (s_.axis == CastAxis::Frame) {
        const double labelW = m.horizontalAdvance(shortNumber(std::max(10.0, scale.hi))) * 1.8 + m.height();
        ticks = linearTicks(scale.lo, scale.hi, std::max(2, static_cast<int>((scale.p1 - scale.p0) / (alongX ? labelW : m.height() * 2.0))), true);
        title = qs(text::kCastFrameAxis);
    } else {
        ticks = linearTicks(scale.lo, scale.hi, std::max(2, static_cast<int>((scale.p1 - scale.p0) / (m.height() * 2.0))));
        title = s_.axis == CastAxis::Depth ? qs(text::kCastCtdDepthAxis) : pressureTitle(s_.source);
    }
    if (alongX) {
        // Ticks on every panel, labels under the last one only.
        painter.setPen(QPen(kInk, 0));
        const double tick = m.height() * 0.3;
        for (const CastTick& t : ticks) {
            const double x = scale.map(t.value);
            painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + tick));
        }
        if (labels) {
            const double room = drawTicks(painter, Side::Bottom, plot, scale, ticks, tickFont, false);
            drawAxisTitle(painter, Side::Bottom, plot, room + m.height() * 0.2, title, font(1.0));
        }
    } else if (labels) {
        const double room = drawTicks(painter, Side::Left, plot, scale, ticks, tickFont, false);
        drawAxisTitle(painter, Side::Left, plot, room + m.height() * 0.4, title, font(1.0));
    }
}

void CastPlot::drawPanels(QPainter& painter)
{
    const bool alongX = orientation_ == Orientation::AlongX;
    std::vector<Panel> panels;
    {
        Panel p;
        p.title = qs(text::kCastDiameterAxis);
        p.series.push_back({[](const CastColumn& c) -> const CastRange& { return c.meanDiameter; }, kMeanColour});
        p.series.push_back({[](const CastColumn& c) -> const CastRange& { return c.d50; }, kD50Colour});
        p.legends = {qs(text::kCastMeanLegend), qs(text::kCastD50Legend)};
        panels.push_back(p);
    }
    {
        Panel p;
        p.title = qs(text::kCastTotalVolumeAxis);
        p.series.push_back({[](const CastColumn& c) -> const CastRange& { return c.totalVolume; }, kVolumeColour});
        panels.push_back(p);
    }
    {
        Panel p;
        p.title = qs(text::kCastTransmissionAxis);
        p.series.push_back({[](const CastColumn& c) -> const CastRange& { return c.transmission; }, kTransmissionColour});
        p.transmissionLimits = true;
        p.legends = {QString(), qs(text::kCastLimitsLegend)};
        panels.push_back(p);
    }
    if (alongX && s_.hasPressure()) {
        Panel p;
        p.title = pressureTitle(s_.source);
        p.series.push_back({[](const CastColumn& c) -> const CastRange& { return c.pressure; }, kPressureColour});
        p.depthDown = true;
        panels.push_back(p);
    }

    const QFont tickFont = tickLabelFont();
    const QFontMetricsF m(tickFont, painter.device());
    const int n = static_cast<int>(s_.columns.size());
    for (std::size_t pi = 0; pi < panels.size() && pi < panels_.size(); ++pi) {
        const Panel& panel = panels[pi];
        const QRectF& r = panels_[pi];
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const auto& [get, colour] : panel.series)
            for (const CastColumn& c : s_.columns) {
                const CastRange& v = get(c);
                if (v.has()) {
                    lo = std::min<double>(lo, v.min);
                    hi = std::max<double>(hi, v.max);
                }
            }
        if (panel.transmissionLimits) {
            lo = std::min(lo, 0.0);
            hi = std::max(hi, 1.0);
        }
        if (!(lo <= hi))
            lo = 0.0, hi = 1.0;
        paddedRange(lo, hi, !panel.depthDown);
        CastScale value;
        value.lo = lo;
        value.hi = hi;
        if (alongX) {
            value.p0 = panel.depthDown ? r.top() : r.bottom();
            value.p1 = panel.depthDown ? r.bottom() : r.top();
        } else {
            value.p0 = r.left();
            value.p1 = r.right();
        }
        auto at = [&](double along, double v) {
            return alongX ? QPointF(along, value.map(v)) : QPointF(value.map(v), along);
        };

        // Background, gaps, grid.
        painter.setPen(Qt::NoPen);
        forEachGap(s_.columns, [&](int a, int b) {
            const double p0 = alongPixel(columnStart(a)), p1 = alongPixel(columnStart(b));
            painter.fillRect(alongX ? QRectF(p0, r.top(), p1 - p0, r.height()) : QRectF(r.left(), p0, r.width(), p1 - p0),
                             kGapFill);
        });
        const int maxTicks = std::max(2, static_cast<int>((alongX ? r.height() / (m.height() * 1.5)
                                                                  : r.width() / (m.horizontalAdvance(QStringLiteral("0.000")) * 1.8))));
        const auto ticks = linearTicks(lo, hi, maxTicks);
        const double room = drawTicks(painter, alongX ? Side::Left : Side::Bottom, r, value, ticks, tickFont, true);
        drawAxisTitle(painter, alongX ? Side::Left : Side::Bottom, r, room + m.height() * (alongX ? 0.4 : 0.2),
                      panel.title, font(alongX ? 0.9 : 1.0));

        painter.save();
        painter.setClipRect(r.adjusted(-1, -1, 1, 1));
        if (panel.transmissionLimits) {
            QPen limit(kLimitColour, std::max(1.0, fontPx_ / 10.0), Qt::DashLine);
            painter.setPen(limit);
            for (double v : {0.3, 1.0}) {
                const double p = value.map(v);
                painter.drawLine(alongX ? QLineF(r.left(), p, r.right(), p) : QLineF(p, r.top(), p, r.bottom()));
            }
        }
        for (std::size_t si = 0; si < panel.series.size(); ++si) {
            const auto& [get, colour] = panel.series[si];
            // The spread within each column as a pale bar (as wide as the column, reaching
            // half that beyond the range at both ends), the column means as a line broken at
            // gaps.  The bars of a series are one filled path: a PDF then holds one list of
            // rectangles instead of a shape and a transparency state for every column.
            QColor pale = colour;
            pale.setAlpha(70);
            const double half = std::max(1.0, alongX ? r.width() / n : r.height() / n) / 2;
            std::vector<QRectF> bars;
            for (int i = 0; i < n; ++i) {
                const CastRange& v = get(s_.columns[static_cast<std::size_t>(i)]);
                if (!v.has() || v.max <= v.min)
                    continue;
                const double a = alongPixel((columnStart(i) + columnStart(i + 1)) / 2);
                bars.push_back(QRectF(at(a, v.min), at(a, v.max)).normalized().adjusted(-half, -half, half, half));
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(pale);
            painter.drawRects(bars.data(), static_cast<int>(bars.size()));
            QPen line(colour, std::max(1.2, fontPx_ / 8.0), si == 1 ? Qt::DashLine : Qt::SolidLine);
            line.setJoinStyle(Qt::RoundJoin);
            painter.setPen(line);
            QPainterPath path;
            bool open = false;
            for (int i = 0; i < n; ++i) {
                const CastRange& v = get(s_.columns[static_cast<std::size_t>(i)]);
                if (!v.has()) {
                    open = false;
                    continue;
                }
                const QPointF p = at(alongPixel((columnStart(i) + columnStart(i + 1)) / 2), v.mean);
                if (open)
                    path.lineTo(p);
                else
                    path.moveTo(p);
                open = true;
            }
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
        painter.restore();
        painter.setPen(QPen(kInk, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);

        // Legend beside the panel (right of it; above it in a profile), one entry a line.
        const QFont legendFont = font(0.8);
        const QFontMetricsF lm(legendFont, painter.device());
        const double sample = lm.height() * 1.6;
        int lines = 0;
        for (const QString& legend : panel.legends)
            lines += !legend.isEmpty();
        double ly = alongX ? r.top() : r.top() - (lines + 0.3) * lm.height() * 1.2;
        const double lx = alongX ? r.right() + fontPx_ * 1.2 : r.left();
        painter.setFont(legendFont);
        for (std::size_t li = 0; li < panel.legends.size(); ++li) {
            const QString& legend = panel.legends[li];
            if (legend.isEmpty())
                continue;
            const bool limits = panel.transmissionLimits && li == 1;
            QPen pen(limits ? kLimitColour : panel.series[std::min(li, panel.series.size() - 1)].second,
                     std::max(1.2, fontPx_ / 8.0), limits || li == 1 ? Qt::DashLine : Qt::SolidLine);
            painter.setPen(pen);
            painter.drawLine(QPointF(lx, ly + lm.height() / 2), QPointF(lx + sample, ly + lm.height() / 2));
            painter.setPen(kInk);
            // A profile's legend may reach over the panels beside it up to the next
            // one with a legend of its own.
            double edge = size_.width() - fontPx_ * 0.5;
            for (std::size_t pj = pi + 1; pj < panels.size() && pj < panels_.size(); ++pj)
                if (std::any_of(panels[pj].legends.begin(), panels[pj].legends.end(),
                                [](const QString& l) { return !l.isEmpty(); })) {
                    edge = panels_[pj].left() - fontPx_ * 0.5;
                    break;
                }
            const double room = (alongX ? fontPx_ * 9.5 - fontPx_ * 1.5 : edge - lx) - sample - lm.height() * 0.4;
            // Set smaller (down to two thirds) before it is cut short.
            QFont fitted = legendFont;
            const double advance = lm.horizontalAdvance(legend);
            if (advance > room)
                fitted.setPixelSize(std::max(1, static_cast<int>(legendFont.pixelSize() * std::max(room / advance, 2.0 / 3))));
            const QFontMetricsF fm(fitted, painter.device());
            painter.setFont(fitted);
            painter.drawText(QRectF(lx + sample + lm.height() * 0.4, ly, room, lm.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(legend, Qt::ElideRight, room));
            painter.setFont(legendFont);
            ly += lm.height() * 1.2;
        }
        drawAlongAxis(painter, r, alongX ? pi + 1 == panels.size() || pi + 1 == panels_.size() : false);
    }
}

}  // namespace kavro
