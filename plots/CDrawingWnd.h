#pragma once
// Base of every window that can draw itself both on screen and into a painter the
// view hands it for printing and preview.  Both paths run renderInto(), so the
// screen and the paper never differ by accident.
#include <QColor>
#include <QRect>
#include <QWidget>

class QPainter;

namespace kavro {

class ArrangementScale;

class CDrawingWnd : public QWidget {
    Q_OBJECT
public:
    explicit CDrawingWnd(QWidget* parent = nullptr);

    // Draws the window's client area with the painter's origin at the client's
    // top-left corner.  printer is true when the painter is on a printed page.
    virtual void renderInto(QPainter& painter, bool printer) = 0;

    // The client area: the window less its border, in its own coordinates.
    int clientWidth() const { return contentsRect().width(); }
    int clientHeight() const { return contentsRect().height(); }
    QPoint clientOrigin() const { return contentsRect().topLeft(); }
    bool hasBorder() const { return border_; }
    bool isCreated() const { return created_; }
    // Where the window stands in its view's arrangement (logical pixels); the
    // window itself stands there mapped through the scale of the canvas under it.
    QRect logicalGeometry() const { return logical_; }
    // Takes its place (and size) again for the canvas's current scale.
    virtual void followArrangement();

    // True when the painter draws on a printer limited to two colours (a QPrinter
    // in grey-scale mode stands for such a device).
    static bool isMonochromePrinter(const QPainter& painter);
    // A 1-pixel black frame just outside the client rectangle (0, 0, w, h): where
    // the screen border stands.
    static void drawFrame(QPainter& painter, int w, int h);
    // Lines given in pixel coordinates cover the same pixels everywhere: aliased
    // drawing on pixels puts a line at x into column x, while a vector page (or
    // anti-aliased drawing) centres it on x; there the lines move half a pixel so
    // that they fill column x instead of straddling two.
    static void alignLinesToPixels(QPainter& painter);

protected:
    // The scale of the canvas the window stands on (one to one elsewhere).
    const ArrangementScale& arrangement() const;

    // Makes this a visible child of parent with the given outer rectangle (logical
    // pixels of the arrangement) the first time; later calls only move and resize it.
    void createChild(QWidget* parent, const QRect& outer);
    // A thin black border outside the client area, as a bordered window has.
    void setBorder(bool on);
    // The background the window is erased to on screen.
    void setBackground(const QColor& colour);

    void paintEvent(QPaintEvent* event) override;

private:
    bool border_ = false;
    bool created_ = false;
    QRect logical_;
};

// Draws every visible drawing window among root's descendants, parents before their
// children and siblings in stacking order, each at its client's position within
// root.  Separate top-level windows (popups) are left out.
void renderDescendants(QWidget* root, QPainter& painter, bool printer);

}  // namespace kavro
