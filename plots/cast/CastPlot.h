#pragma once
// The picture of a whole cast, drawn with a painter on any device (a screen
// window, an image, a PDF or SVG page): the size-distribution image with its
// colour bar, and under it, on the same axis, the mean diameter and D50, the total
// volume concentration, the transmission with its limits and the pressure.  As a
// profile the same quantities stand side by side against the pressure, depth down.
#include "products/CastSummary.h"

#include <QRectF>
#include <QSize>
#include <optional>

class QPainter;
class QFont;

namespace kavro {

class CastPlot {
public:
    enum class Orientation { AlongX, Profile };

    CastPlot(const CastSummary& summary, Orientation orientation);

    // How many columns the summary should have for a picture of this size: the
    // pixels the frames run over.
    static int columnsFor(QSize size, Orientation orientation);

    // Fixes the colour scale of the size image (uL/L, lo > 0), so that the pictures
    // of several casts can be compared; by default three decades under the largest
    // column mean of this cast.
    void setVolumeScale(double lo, double hi);
    double volumeScaleLow() const { return volumeLo_; }
    double volumeScaleHigh() const { return volumeHi_; }

    // Lays out and draws the whole picture into (0, 0, size).
    void draw(QPainter& painter, QSize size);
    // Only the layout for a picture of this size (for the queries below).
    void layout(QSize size);

    // After draw: the pixel along the frame axis (x; y for a profile) of frame n,
    // or nothing when the picture has no such place.
    std::optional<double> pixelOfFrame(long long n) const;
    // After draw: the frame at a point of the image or the panels, or nothing
    // when the point is outside them or over a column without frames.
    std::optional<long long> frameAt(QPointF point) const;
    // After draw: the rectangle the frames run through (image and panels).
    QRectF framesArea() const { return framesArea_; }
    QRectF imageRect() const { return image_; }
    // After layout: the font of the tick labels; in a picture tall enough for them
    // never below 9 pixels, so that they stay legible.
    QFont tickLabelFont() const;

private:
    struct Panel;
    void drawTitle(QPainter& painter, QSize size);
    void drawImage(QPainter& painter);
    void drawColourBar(QPainter& painter);
    void drawPanels(QPainter& painter);
    void drawAlongAxis(QPainter& painter, const QRectF& plot, bool labels);
    double alongPixel(double axisValue) const;
    double columnStart(int i) const;
    QFont font(double scale, bool bold = false) const;

    const CastSummary& s_;
    Orientation orientation_;
    double fontPx_ = 12.0;
    QSize size_;
    int tickPx_ = 10;  // the tick labels' pixel size
    QRectF title_, image_, colourBar_, framesArea_;
    std::vector<QRectF> panels_;
    double volumeLo_ = 1e-3, volumeHi_ = 1.0;
};

}  // namespace kavro
