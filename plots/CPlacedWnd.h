#pragma once
// A window placed relative to an anchor point of its parent by one of nine
// alignment codes, so that it stays at the same anchor whatever its size.
#include "plots/CDrawingWnd.h"

#include <QPoint>
#include <QSize>

namespace kavro {

class CPlacedWnd : public CDrawingWnd {
    Q_OBJECT
public:
    // Alignment codes: which point of the window the anchor is.
    enum Alignment {
        LeftCentre = 0,
        RightCentre = 1,
        TopCentre = 2,
        BottomCentre = 3,
        TopLeft = 4,
        TopRight = 5,
        BottomLeft = 6,
        BottomRight = 7,
        Centre = 8,
    };

    explicit CPlacedWnd(QWidget* parent = nullptr);

    // Anchor and position = (x, y); a visible child at (x, y) of the current size.
    void Create(QWidget* parent, int x, int y);
    void SetAlignment(int code);
    // Returns the previous setting.
    bool EnableFontDialog(bool enable);
    // Moves the window so that its anchor point falls on the anchor (mapped
    // through the canvas's scale).
    void Reposition();
    // Fits itself to the canvas's scale, then stands at its anchor again.
    void followArrangement() override;

    QPoint anchor() const { return anchor_; }
    int alignment() const { return alignment_; }
    bool fontDialogEnabled() const { return fontDialog_; }

    // Top-left corner of a window of the given size anchored at anchor; an unknown
    // code answers current.
    static QPoint placedAt(QPoint anchor, QSize size, int alignment, QPoint current);

    // The light grey the labels stand on.
    static QColor labelBackground() { return QColor(192, 192, 192); }

protected:
    // Runs once the window exists, before it is first shown.
    virtual void onCreate() {}
    // The canvas's scale has changed: a window that sizes itself does so again.
    virtual void onScaleChanged() {}

private:
    QPoint anchor_;
    int alignment_ = TopLeft;
    bool fontDialog_ = false;
};

}  // namespace kavro
