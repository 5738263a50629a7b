#pragma once
// The text labels the views' displays are made of: text windows on the view's
// canvas, anchored at a point by one of the nine anchor codes.
#include <QColor>
#include <QFont>
#include <string>

class QWidget;

namespace kavro {

class CTextWnd;

// Anchor codes of the labels.
namespace anchor {
inline constexpr int LeftCentre = 0;
inline constexpr int RightCentre = 1;
inline constexpr int TopCentre = 2;
inline constexpr int BottomCentre = 3;
inline constexpr int TopLeft = 4;
inline constexpr int TopRight = 5;
}  // namespace anchor

// A label in the text window's own font.
CTextWnd* addViewLabel(QWidget* canvas, int x, int y, int anchorCode, const std::string& text);
CTextWnd* addViewLabel(QWidget* canvas, int x, int y, int anchorCode, const std::string& text, const QFont& font,
                       const QColor& colour);
// The maker's name in small green Arial, its top-left corner at (x, y).
CTextWnd* addMakerLabel(QWidget* canvas, int x, int y);

}  // namespace kavro
