#include "plots/CValueTipWnd.h"

#include <QFontMetrics>
#include <QPainter>

namespace kavro {

namespace {
// A tool-tip window takes no focus and no mouse grab from the window that holds
// the button down.
constexpr Qt::WindowFlags kTipFlags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}  // namespace

CValueTipWnd::CValueTipWnd()
{
    setWindowFlags(kTipFlags);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setBackground(Qt::white);
    setBorder(true);
}

void CValueTipWnd::Create(QWidget* owner, int screenX, int screenY, const QString& text)
{
    if (owner != parentWidget())
        setParent(owner, kTipFlags);
    text_ = text;
    QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(text_) + 30, metrics.height() + 30);
    move(screenX, screenY);
    show();
}

void CValueTipWnd::renderInto(QPainter& painter, bool)
{
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(QPointF(14, 14 + painter.fontMetrics().ascent()), text_);
}

}  // namespace kavro
