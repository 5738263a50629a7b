#pragma once
// A small top-most popup with a thin border showing one line of text at a screen
// point; its owner destroys it.
#include "plots/CDrawingWnd.h"

#include <QString>

namespace kavro {

class CValueTipWnd : public CDrawingWnd {
    Q_OBJECT
public:
    CValueTipWnd();

    // Shows the popup with its top-left corner at the screen point, sized to the
    // text with a margin of 15 pixels around it.  owner only ties the popup's
    // lifetime to another window; the popup is a window of its own either way.
    void Create(QWidget* owner, int screenX, int screenY, const QString& text);

    const QString& text() const { return text_; }

    void renderInto(QPainter& painter, bool printer) override;

private:
    QString text_;
};

}  // namespace kavro
