#include "background/ui/RingPlotPanel.h"

#include "background/ui/MaximumScaleDialog.h"
#include "platform/NumText.h"
#include "plots/CPlacedWnd.h"
#include "plots/CTextWnd.h"
#include "resources/BackgroundTexts.h"

#include <QPushButton>

namespace kavro {
namespace {

QPoint scaleButtonAt()
{
    return {6, RingPlotPanel::kPlotY + 16};
}

}  // namespace

RingPlotPanel::RingPlotPanel(const char* firstLegend, const char* secondLegend, double maximum, Prompter& prompter,
                             DialogRunner runner, QWidget* parent)
    : ArrangementCanvas(parent), prompter_(prompter), runner_(std::move(runner)), maximum_(maximum),
      plot_(new CRingBarGraphWnd(this))
{
    setArrangement(QSize(kWidth, kHeight), {{kPlotY, kPlotY + kPlotHeight}});
    setMinimumSize(kWidth, kHeight);
    resize(kWidth, kHeight);
    plot_->Create(this, kPlotX, kPlotY, kPlotWidth, kPlotHeight);
    const int centre = kPlotX + kPlotWidth / 2;
    firstLegend_ = addLabel(centre, 4, CPlacedWnd::TopCentre, firstLegend, CRingBarGraphWnd::firstColour());
    secondLegend_ = addLabel(centre, 22, CPlacedWnd::TopCentre, secondLegend, CRingBarGraphWnd::secondColour());
    topLabel_ = addLabel(kPlotX - 4, kPlotY, CPlacedWnd::RightCentre, "", Qt::black);
    addLabel(kPlotX - 4, kPlotY + kPlotHeight, CPlacedWnd::RightCentre, text::kScaleBottom, Qt::black);

    scaleButton_ = new QPushButton(text::kScaleButton, this);
    scaleButton_->setAutoDefault(false);
    scaleButton_->setGeometry(QRect(scaleButtonAt(), QSize(38, 24)));
    connect(scaleButton_, &QPushButton::clicked, this, &RingPlotPanel::askMaximum);
    setMaximum(maximum);
}

CTextWnd* RingPlotPanel::addLabel(int x, int y, int anchor, const char* text, const QColor& colour)
{
    auto* label = new CTextWnd(this);
    label->SetAlignment(anchor);
    label->Create(this, x, y);
    label->SetFont(std::nullopt, colour);
    label->SetText(text);
    return label;
}

void RingPlotPanel::resizeEvent(QResizeEvent*)
{
    setScale(scaleFor(size()));
    // The button is no drawing window: it follows the scale by hand.
    scaleButton_->move(scale().map(scaleButtonAt()));
}

void RingPlotPanel::setSeries(const CRingBarGraphWnd::Rings& first, const CRingBarGraphWnd::Rings& second)
{
    plot_->SetSeries(first, second);
}

void RingPlotPanel::setMaximum(double maximum)
{
    maximum_ = maximum;
    topLabel_->SetText(formatG(maximum));
    plot_->SetYMax(maximum);
}

void RingPlotPanel::askMaximum()
{
    MaximumScaleDialog dialog(maximum_, prompter_, this);
    if (runner_(dialog) == QDialog::Accepted)
        setMaximum(dialog.value());
}

}  // namespace kavro
