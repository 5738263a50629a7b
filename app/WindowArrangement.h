#pragma once
// Where the child frames of the main frame go: a new window inside the visible
// part of the area, Cascade and Tile.  Every window keeps at least the size its
// content needs; when they do not all fit, the area scrolls rather than the
// windows shrinking over their plots.
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

// Tile: a grid of about as many columns as rows that fills the area; a cell is
// never smaller than the largest window needs.
QList<QRect> tile(const QList<QSize>& sizes, QSize area);

}  // namespace kavro::arrangement
