#include "plots/CTextWnd.h"

#include "resources/PlotTexts.h"

#include <QFontDialog>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace kavro {

CTextWnd::CTextWnd(QWidget* parent) : CPlacedWnd(parent), font_(QWidget::font())
{
    setWindowTitle(QString::fromUtf8(text::kTextWindow));
}

QFont CTextWnd::defaultFont()
{
    QFont font(QString::fromUtf8(text::kLabelFontFace));
    font.setPixelSize(12);
    font.setWeight(QFont::Weight(600));
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void CTextWnd::onCreate()
{
    // A font or colour chosen before creation stays; otherwise the label font.
    SetFont(fontGiven_ ? font_ : defaultFont(), colour_);
}

void CTextWnd::fitToText()
{
    if (!autoSize_)
        return;
    SizeToText();
    Reposition();
}

void CTextWnd::SetText(const QString& text)
{
    text_ = text;
    fitToText();
    update();
}

void CTextWnd::SetColour(const QColor& colour)
{
    colour_ = colour;
    update();
}

void CTextWnd::SetFont(const std::optional<QFont>& font, const QColor& colour)
{
    colour_ = colour;
    if (font) {
        font_ = *font;
        fontGiven_ = true;
        fitToText();
    }
    update();
}

void CTextWnd::SetAngle(double degrees)
{
    double tenths = std::trunc(degrees * 10.0);
    angle_ = std::isfinite(tenths) && std::fabs(tenths) < 1.0e9 ? static_cast<int>(tenths) : 0;
    if (isCreated())
        fitToText();
    update();
}

void CTextWnd::SizeToText()
{
    QFontMetrics metrics(font_);
    int w = metrics.horizontalAdvance(text_) + 4;
    int h = metrics.height() + 2;
    if (angle_ != 0)
        resize(h, w);
    else
        resize(w, h);
}

void CTextWnd::renderInto(QPainter& painter, bool)
{
    // The label's own background comes from erasing the window on screen; into a
    // page only the text is drawn, over whatever lies below.
    if (text_.isEmpty())
        return;
    painter.setFont(font_);
    painter.setPen(colour_);
    if (angle_ != 0) {
        // The text starts at the bottom-left corner and runs upward.
        painter.translate(0, clientHeight());
        painter.rotate(-angle_ / 10.0);
    }
    painter.drawText(QPointF(0, painter.fontMetrics().ascent()), text_);
}

void CTextWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !fontDialogEnabled())
        return;
    if (std::optional<QFont> chosen = askFont(font_)) {
        font_ = *chosen;
        fontGiven_ = true;
        SizeToText();
        Reposition();
        repaint();
    }
}

std::optional<QFont> CTextWnd::askFont(const QFont& current)
{
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, current, this);
    if (!ok)
        return std::nullopt;
    return chosen;
}

}  // namespace kavro
