#include "plots/CTextWnd.h"

#include "plots/Arrangement.h"
#include "resources/PlotTexts.h"

#include <QFontDialog>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kavro {

CTextWnd::CTextWnd(QWidget* parent) : CPlacedWnd(parent), font_(QWidget::font()), shownFont_(font_)
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

void CTextWnd::onScaleChanged()
{
    fitToText();
    update();
}

QFont CTextWnd::scaledFont() const
{
    return arrangement().font(font_);
}

void CTextWnd::fitToText()
{
    fitWithin();
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

void CTextWnd::SetMaxWidth(int pixels)
{
    maxWidth_ = std::max(0, pixels);
    fitToText();
    update();
}

void CTextWnd::fitWithin()
{
    const QFont font = scaledFont();
    shownText_ = text_;
    shownFont_ = font;
    // Only a tip the label set itself goes: one its owner set stays through a new scale.
    if (ownTip_) {
        setToolTip(QString());
        ownTip_ = false;
    }
    const int room = static_cast<int>(maxWidth_ * arrangement().xScale()) - 4;
    if (maxWidth_ <= 0 || angle_ != 0 || QFontMetrics(font).horizontalAdvance(text_) <= room)
        return;
    // A smaller font first, so that the whole text still shows ...
    const bool pixels = font.pixelSize() > 0;
    const double size = pixels ? font.pixelSize() : font.pointSizeF();
    for (double s = size - 1.0; s >= size * kSmallestShrink; s -= 1.0) {
        if (pixels)
            shownFont_.setPixelSize(static_cast<int>(s));
        else
            shownFont_.setPointSizeF(s);
        if (QFontMetrics(shownFont_).horizontalAdvance(text_) <= room)
            return;
    }
    // ... and at the smallest size, shortened, with the whole text at hand.
    shownText_ = QFontMetrics(shownFont_).elidedText(text_, Qt::ElideRight, room);
    setToolTip(text_);
    ownTip_ = true;
}

void CTextWnd::SizeToText()
{
    fitWithin();
    QFontMetrics metrics(shownFont_);
    int w = metrics.horizontalAdvance(shownText_) + 4;
    int h = QFontMetrics(scaledFont()).height() + 2;
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
    painter.setFont(scaledFont());
    const qreal baseline = painter.fontMetrics().ascent();  // a shrunk font stands on the same line
    painter.setFont(shownFont_);
    painter.setPen(colour_);
    if (angle_ != 0) {
        // The text starts at the bottom-left corner and runs upward.
        painter.translate(0, clientHeight());
        painter.rotate(-angle_ / 10.0);
    }
    painter.drawText(QPointF(0, baseline), shownText_);
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
