#pragma once
// A self-sizing text label: axis labels, legends and numeric read-outs.  With
// autoSize on, every change of text or font re-sizes the label to its text and
// places it at its anchor again.
#include "plots/CPlacedWnd.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>
#include <string>

namespace kavro {

class CTextWnd : public CPlacedWnd {
    Q_OBJECT
public:
    explicit CTextWnd(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetText(const std::string& text) { SetText(QString::fromStdString(text)); }
    void SetText(const char* text) { SetText(QString::fromUtf8(text)); }
    void SetColour(const QColor& colour);
    // The colour the label stands on (light grey unless set).
    void SetBackground(const QColor& colour) { setBackground(colour); }
    // Takes the colour; takes the font too when one is given.
    void SetFont(const std::optional<QFont>& font, const QColor& colour);
    // Rotation anticlockwise in degrees, kept in tenths of a degree (truncated).
    void SetAngle(double degrees);
    void SetAutoSize(bool on) { autoSize_ = on; }
    // The widest the label may grow (0: no limit).  A text wider than that is drawn
    // in a smaller font, down to kSmallestShrink of the label's font, and what still
    // does not fit ends in "..." with the whole text as the label's tool tip.
    void SetMaxWidth(int pixels);
    // Width = text width + 4, height = text height + 2, swapped for rotated text.
    void SizeToText();

    const QString& text() const { return text_; }
    const QFont& labelFont() const { return font_; }
    // What is drawn: the text, or its shortened form; and the font it is drawn in
    // (the label's font at the canvas's scale, shrunk when the text is too wide).
    const QString& shownText() const { return shownText_; }
    const QFont& shownFont() const { return shownFont_; }
    static constexpr double kSmallestShrink = 0.7;
    const QColor& colour() const { return colour_; }
    int angle() const { return angle_; }
    bool autoSize() const { return autoSize_; }

    // Arial, 12 pixels high, weight 600.
    static QFont defaultFont();

    void renderInto(QPainter& painter, bool printer) override;

protected:
    void onCreate() override;
    void onScaleChanged() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Asks the user for a font; nothing when cancelled.
    virtual std::optional<QFont> askFont(const QFont& current);

private:
    void fitToText();
    // The label's font at the canvas's scale.
    QFont scaledFont() const;
    // The shown text and font for the text, the font and the maximum width.
    void fitWithin();

    QString text_;
    QFont font_;
    QString shownText_;
    QFont shownFont_;
    int maxWidth_ = 0;
    bool ownTip_ = false;  // the tool tip is the whole of a shortened text
    QColor colour_{Qt::black};
    bool fontGiven_ = false;  // a font chosen before the window existed is kept
    bool autoSize_ = true;
    int angle_ = 0;  // tenths of a degree
};

}  // namespace kavro
