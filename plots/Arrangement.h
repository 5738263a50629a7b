#pragma once
// A view's display is laid out once, in its own pixel units (the arrangement),
// and shown in a window of any size through one mapping: at the arrangement's
// own size nothing moves; a larger window stretches it to fill (the plots' rows
// take the height the text rows do not need), a smaller one shrinks it down to a
// readable minimum, below which the view scrolls.  Fonts grow a little more slowly
// than the window (with the power 3/4 of its scale), so that text stays readable
// from a distance and still leaves most of the room to the plots.
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace kavro {

class ArrangementScale {
public:
    // Logical rows [top, bottom) that hold plots: they take the spare height.
    struct Rows {
        int top;
        int bottom;
    };

    // The smallest factor the arrangement is drawn at; below it the view scrolls.
    static constexpr double kMinimum = 0.75;
    // A plot grows at most this much more in height than in width.
    static constexpr double kMostStretch = 1.5;

    // One to one.
    ArrangementScale() = default;
    // The arrangement of the given extent, fitted to area (window pixels).  Up to
    // the window size it was laid out for (laidOut, at least the extent: a window
    // may be wider than its display for the bar below it) it stands at its own
    // size; what a window has beyond that, the arrangement grows by.
    static ArrangementScale fit(QSize extent, QSize area, const std::vector<Rows>& plotRows, QSize laidOut = {});

    // Logical to window coordinates.
    double mapX(double x) const { return x * sx_; }
    double mapY(double y) const;
    QPoint map(QPoint p) const;
    // The window rectangle whose edges are the mapped edges of r.
    QRect map(const QRect& r) const;
    // The font at the scale the text is drawn at.
    QFont font(const QFont& logical) const;

    double xScale() const { return sx_; }
    double fontScale() const { return fontScale_; }
    bool isIdentity() const { return sx_ == 1.0 && fontScale_ == 1.0 && segments_.empty(); }

private:
    // From logical y `from` on, window y = start + (y - from) * slope.
    struct Segment {
        double from;
        double start;
        double slope;
    };

    double sx_ = 1.0;
    double fontScale_ = 1.0;
    std::vector<Segment> segments_;  // empty: y is y
};

// The widget a view's child windows stand on.  It knows the arrangement (its
// logical extent and plot rows) and the scale it is shown at now; the drawing
// windows on it take their place and fonts from that scale.
class ArrangementCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ArrangementCanvas(QWidget* parent = nullptr);

    // What the children were laid out for, and the window size they were laid out
    // in (see ArrangementScale::fit); until then the scale stays one to one.
    void setArrangement(QSize extent, std::vector<ArrangementScale::Rows> plotRows, QSize laidOut = {});
    bool hasArrangement() const { return extent_.isValid(); }
    QSize arrangementExtent() const { return extent_; }

    // The scale that fits the arrangement to area.
    ArrangementScale scaleFor(QSize area) const;
    // The width of an area height pixels high that the arrangement fills in both
    // directions (no wider, or it stands beside empty room; no narrower, or its
    // plots give up height); the laid-out width before an arrangement is set.
    int fillingWidth(int height) const;
    // Places every child window for scale.
    void setScale(const ArrangementScale& scale);
    const ArrangementScale& scale() const { return scale_; }
    // The arrangement's size in window pixels at the current scale.
    QSize scaledExtent() const;

    // The scale the children of parent stand at (one to one off a canvas).
    static const ArrangementScale& scaleOf(const QWidget* parent);

private:
    QSize extent_;
    QSize laidOut_;
    std::vector<ArrangementScale::Rows> plotRows_;
    ArrangementScale scale_;
};

}  // namespace kavro
