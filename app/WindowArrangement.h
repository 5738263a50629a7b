#pragma once
// Where the child frames of the main frame go: a new window inside the visible
// part of the area, Cascade and Tile.  A new window and Cascade keep every window
// at the size its content needs (when they do not all fit, the area scrolls); Tile
// puts every window inside the area, smaller than its content only when they do
// not all fit otherwise (a view shrinks its display, and scrolls below its
// readable minimum).
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace kavro::arrangement {

// The cascade's step from one window to the next.
inline constexpr int kCascadeStep = 26;

// A place for a new window of this size among the others in an area of this
// size: the first free spot (top left first, then beside and below the others),
// else the one it overlaps least, always inside the area where the window fits.
QPoint placeNewWindow(QSize size, const QList<QRect>& others, QSize area);

// Cascade: window i at i steps down and right, each at its own size; a window
// that would run past the bottom starts a new run at the top.
QList<QRect> cascade(const QList<QSize>& sizes, QSize area);

// Tile: a grid that fills the area, every cell inside it: of the grids whose cells
// hold the largest window the one nearest to as many columns as rows, else the one
// that shrinks the windows least.
QList<QRect> tile(const QList<QSize>& sizes, QSize area);

}  // namespace kavro::arrangement
