#include "plots/CPlacedWnd.h"

#include "plots/Arrangement.h"

namespace kavro {

CPlacedWnd::CPlacedWnd(QWidget* parent) : CDrawingWnd(parent)
{
    resize(40, 40);
    setBackground(labelBackground());
}

void CPlacedWnd::Create(QWidget* parent, int x, int y)
{
    anchor_ = QPoint(x, y);
    createChild(parent, QRect(anchor_, size()));
    // The window's size is its own (its text's), not the arrangement's.
    resize(logicalGeometry().size());
    onCreate();
}

void CPlacedWnd::followArrangement()
{
    if (!isCreated())
        return;
    onScaleChanged();
    Reposition();
}

void CPlacedWnd::SetAlignment(int code)
{
    alignment_ = code;
    if (isCreated())
        Reposition();
}

bool CPlacedWnd::EnableFontDialog(bool enable)
{
    bool previous = fontDialog_;
    fontDialog_ = enable;
    return previous;
}

void CPlacedWnd::Reposition()
{
    move(placedAt(arrangement().map(anchor_), size(), alignment_, pos()));
}

QPoint CPlacedWnd::placedAt(QPoint anchor, QSize size, int alignment, QPoint current)
{
    const int ax = anchor.x();
    const int ay = anchor.y();
    const int w = size.width();
    const int h = size.height();
    switch (alignment) {
    case LeftCentre: return {ax, ay - h / 2};
    case RightCentre: return {ax - w, ay - h / 2};
    case TopCentre: return {ax - w / 2, ay};
    case BottomCentre: return {ax - w / 2, ay - h};
    case TopLeft: return {ax, ay};
    case TopRight: return {ax - w, ay};
    case BottomLeft: return {ax, ay - h};
    case BottomRight: return {ax - w, ay - h};
    case Centre: return {ax - w / 2, ay - h / 2};
    default: return current;
    }
}

}  // namespace kavro
