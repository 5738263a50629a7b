#pragma once
// The cast picture of a whole .psd file in a window, with a cursor line at the
// current frame; a click on the picture asks for the frame under the mouse.
#include "plots/CDrawingWnd.h"
#include "plots/cast/CastPlot.h"
#include "products/CastSummary.h"

#include <QImage>
#include <memory>

namespace kavro {

class CCastOverviewWnd : public CDrawingWnd {
    Q_OBJECT
public:
    explicit CCastOverviewWnd(QWidget* parent = nullptr);

    // The cast to show (the window keeps its own copy); the cursor goes to frame 0.
    void setSummary(CastSummary summary);
    const CastSummary& summary() const { return summary_; }
    // Moves the cursor line to frame n.
    void setCurrentFrame(long long n);
    long long currentFrame() const { return current_; }
    // Where the cursor line stands (x in the client area), as last drawn.
    std::optional<double> cursorX() const;
    // The frame under a point of the client area, if any.
    std::optional<long long> frameAt(QPointF point) const;
    // The font its tick labels are drawn in at the window's size.
    QFont tickLabelFont() const;

    void renderInto(QPainter& painter, bool printer) override;
    // The picture and the cursor at another size (a printed page).
    void drawAt(QPainter& painter, QSize size);

signals:
    void frameClicked(long long frame);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Lays the plot out for the client size (without drawing it anywhere visible).
    void layOut() const;
    void drawCursor(QPainter& painter) const;

    CastSummary summary_;
    std::unique_ptr<CastPlot> plot_;
    long long current_ = 0;
    // The picture as last drawn on the screen: the cursor moves over it without
    // drawing the whole cast again (the animation moves it several times a second).
    QImage screen_;
};

}  // namespace kavro
