#include "PlotTestSupport.h"
#include "plots/CTextWnd.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace kavro {
namespace {

using test::inkBox;
using test::renderClient;

TEST(PlacedWnd, NineAlignmentsPlaceTheWindowAroundItsAnchor)
{
    const QPoint anchor(100, 50);
    const QSize size(34, 14);
    const QPoint current(7, 9);
    const QPoint expected[9] = {{100, 43}, {66, 43}, {83, 50}, {83, 36}, {100, 50},
                                {66, 50},  {100, 36}, {66, 36}, {83, 43}};
    for (int code = 0; code < 9; ++code)
        EXPECT_EQ(CPlacedWnd::placedAt(anchor, size, code, current), expected[code]) << "alignment " << code;
    // Odd sizes: the halves truncate.
    EXPECT_EQ(CPlacedWnd::placedAt(anchor, QSize(35, 15), CPlacedWnd::Centre, current), QPoint(83, 43));
    EXPECT_EQ(CPlacedWnd::placedAt(anchor, size, 9, current), current);
    EXPECT_EQ(CPlacedWnd::placedAt(anchor, size, -1, current), current);
}

TEST(TextWnd, RightAlignedLabelSizesToItsTextAndEndsAtTheAnchor)
{
    QWidget parent;
    parent.resize(300, 200);
    CTextWnd label;
    label.SetAlignment(CPlacedWnd::RightCentre);
    label.Create(&parent, 100, 50);
    label.SetText("ul / l");

    QFontMetrics metrics(CTextWnd::defaultFont());
    const int w = metrics.horizontalAdvance(QStringLiteral("ul / l")) + 4;
    const int h = metrics.height() + 2;
    EXPECT_EQ(label.size(), QSize(w, h));
    EXPECT_EQ(label.pos(), QPoint(100 - w, 50 - h / 2));
    EXPECT_EQ(label.anchor(), QPoint(100, 50));
    EXPECT_EQ(label.parentWidget(), &parent);
    EXPECT_TRUE(label.isVisibleTo(&parent));

    // A longer text keeps the right end at the anchor.
    label.SetText("a much longer label");
    EXPECT_EQ(label.geometry().right() + 1, 100);
}

TEST(TextWnd, ATextWiderThanItsRoomShrinksThenShortensWithTheWholeTextAtHand)
{
    QWidget parent;
    parent.resize(600, 200);
    CTextWnd label;
    label.SetAlignment(CPlacedWnd::TopCentre);
    label.Create(&parent, 266, 10);
    QFont font = CTextWnd::defaultFont();
    font.setPixelSize(19);
    label.SetFont(font, Qt::red);
    label.SetMaxWidth(200);
    struct Row {
        QString text;
        bool shrunk, shortened;
    };
    for (const Row& r : {Row{"Cast 7", false, false}, Row{"Station 14, cast 7, upcast", true, false},
                         Row{"Cruise KV-2026/07 North Atlantic transect, station 14, cast 7", true, true}}) {
        label.SetText(r.text);
        EXPECT_EQ(label.text(), r.text);
        EXPECT_LE(label.width(), 200) << r.text.toStdString();
        EXPECT_EQ(label.shownFont().pixelSize() < 19, r.shrunk) << r.text.toStdString();
        EXPECT_GE(label.shownFont().pixelSize(), static_cast<int>(19 * CTextWnd::kSmallestShrink));
        EXPECT_EQ(label.shownText() != r.text, r.shortened) << r.text.toStdString();
        EXPECT_EQ(label.toolTip(), r.shortened ? r.text : QString());
        EXPECT_EQ(label.anchor(), QPoint(266, 10));
    }
}

TEST(TextWnd, DefaultsAndSettingsMadeBeforeCreation)
{
    QWidget parent;
    CTextWnd plain;
    EXPECT_EQ(plain.size(), QSize(40, 40));
    EXPECT_EQ(plain.alignment(), CPlacedWnd::TopLeft);
    EXPECT_EQ(plain.colour(), QColor(Qt::black));
    EXPECT_EQ(plain.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("TextWindow"));
    plain.Create(&parent, 5, 6);
    EXPECT_EQ(plain.labelFont().pixelSize(), 12);
    EXPECT_EQ(plain.labelFont().weight(), 600);
    EXPECT_EQ(plain.labelFont().family(), QStringLiteral("Arial"));

    // Text, font and colour given before the window exists take effect with it.
    QFont big = CTextWnd::defaultFont();
    big.setPixelSize(21);
    CTextWnd early;
    early.SetText("Footer");
    early.SetFont(big, QColor(0, 0, 128));
    early.Create(&parent, 10, 20);
    EXPECT_EQ(early.labelFont().pixelSize(), 21);
    EXPECT_EQ(early.colour(), QColor(0, 0, 128));
    EXPECT_EQ(early.height(), QFontMetrics(big).height() + 2);
    EXPECT_EQ(early.pos(), QPoint(10, 20));

    // No font: only the colour changes.
    early.SetFont(std::nullopt, Qt::red);
    EXPECT_EQ(early.colour(), QColor(Qt::red));
    EXPECT_EQ(early.labelFont().pixelSize(), 21);
}

TEST(TextWnd, RotatedLabelSwapsItsSidesAndReadsUpward)
{
    QWidget parent;
    CTextWnd label;
    label.SetText("Rings");
    label.SetAngle(90);
    EXPECT_EQ(label.angle(), 900);
    label.Create(&parent, 30, 78);
    QFontMetrics metrics(CTextWnd::defaultFont());
    const int textW = metrics.horizontalAdvance(QStringLiteral("Rings"));
    const int textH = metrics.height();
    EXPECT_EQ(label.size(), QSize(textH + 2, textW + 4));

    // The text occupies the left textH columns and runs from the bottom up: its
    // ink reaches the bottom rows and leaves the spare rows at the top.
    QImage image = renderClient(label, false, 0, Qt::white);
    QRect ink = inkBox(image, Qt::white);
    ASSERT_TRUE(ink.isValid());
    EXPECT_LE(ink.right(), textH);
    EXPECT_GE(ink.top(), 2);  // the last glyph may overhang its advance a little
    EXPECT_GE(ink.bottom(), label.height() - 4);
    // Upward text is taller than wide.
    EXPECT_GT(ink.height(), ink.width());

    // Back to 0 degrees after creation: the sides swap back.
    label.SetAngle(0);
    EXPECT_EQ(label.size(), QSize(textW + 4, textH + 2));
    label.SetAngle(45.67);
    EXPECT_EQ(label.angle(), 456);
}

TEST(TextWnd, WithoutAutoSizeTheWindowKeepsItsSize)
{
    QWidget parent;
    CTextWnd label;
    label.SetAutoSize(false);
    label.Create(&parent, 0, 0);
    label.SetText("a label far wider than forty pixels");
    EXPECT_EQ(label.size(), QSize(40, 40));
}

// Answers the font dialog without showing it.
class ScriptedFontLabel : public CTextWnd {
public:
    std::optional<QFont> answer;
    int asked = 0;

    void doubleClick()
    {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        mouseDoubleClickEvent(&event);
    }

protected:
    std::optional<QFont> askFont(const QFont&) override
    {
        ++asked;
        return answer;
    }
};

TEST(TextWnd, DoubleClickOpensTheFontDialogOnlyWhenEnabled)
{
    QWidget parent;
    ScriptedFontLabel label;
    label.SetAlignment(CPlacedWnd::BottomRight);
    label.Create(&parent, 200, 100);
    label.SetText("Legend");
    QFont large = CTextWnd::defaultFont();
    large.setPixelSize(30);
    label.answer = large;

    label.doubleClick();
    EXPECT_EQ(label.asked, 0);
    EXPECT_FALSE(label.EnableFontDialog(true));
    EXPECT_TRUE(label.EnableFontDialog(true));
    label.doubleClick();
    EXPECT_EQ(label.asked, 1);
    EXPECT_EQ(label.labelFont().pixelSize(), 30);
    EXPECT_EQ(label.height(), QFontMetrics(large).height() + 2);
    EXPECT_EQ(label.geometry().bottomRight() + QPoint(1, 1), QPoint(200, 100));

    // Cancelled: nothing changes.
    label.answer.reset();
    const QRect before = label.geometry();
    label.doubleClick();
    EXPECT_EQ(label.asked, 2);
    EXPECT_EQ(label.geometry(), before);
}

}  // namespace
}  // namespace kavro
