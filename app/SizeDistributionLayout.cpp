#include "app/SizeDistributionLayout.h"

#include "app/ViewLabels.h"
#include "core/CDataSource.h"
#include "core/FrameStatistics.h"
#include "core/Settings.h"
#include "platform/NumText.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CLinePlotWnd.h"
#include "plots/CTextWnd.h"
#include "resources/AppTexts.h"

#include <QFontMetrics>

namespace kavro {

namespace {

using namespace anchor;

constexpr int kBold = 700;
constexpr int kTitleMaxWidth = 2 * 266 - 8;

const QColor kHeaderColour(255, 0, 0);
const QColor kFooterColour(0, 0, 128);
const QColor kQualityColour(160, 0, 0);

}  // namespace

SizeDistributionLayout::SizeDistributionLayout(QWidget* canvas, const CDataSource& source, const Settings& settings,
                                               int model)
    : canvas_(canvas), source_(&source), settings_(settings), model_(model == 1 || model == 2 ? model : 0)
{
}

QStringList SizeDistributionLayout::arialFamilies()
{
    return {"Arial", "Liberation Sans"};
}

QStringList SizeDistributionLayout::timesFamilies()
{
    // The name asked for is not a real face; its metric twin of Times New Roman serves.
    return {"New Times Roman", "Times New Roman", "Liberation Serif"};
}

QFont SizeDistributionLayout::cellFont(const QStringList& families, int weight, int cellHeight)
{
    QFont font;
    font.setFamilies(families);
    font.setWeight(QFont::Weight(weight));
    // The height of a font given in pixels is that of its whole line (ascent and
    // descent), as the Windows font mapper takes a positive height.
    int size = cellHeight;
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > cellHeight)
        font.setPixelSize(--size);
    return font;
}

CTextWnd* SizeDistributionLayout::addLabel(int x, int y, int anchorCode, const std::string& text)
{
    return addViewLabel(canvas_, x, y, anchorCode, text);
}

void SizeDistributionLayout::build()
{
    barGraph_ = new CBarGraphWnd(CFrameResult::classCount(), canvas_);
    barGraph_->Create(canvas_, 60, kPlotTop, 194, kPlotHeight);
    barGraph_->SetYMax(maxOrdinate_);
    barGraph_->SetFrame(&source_->frameResult());
    barGraph_->SetMarks(settings_.showMean != 0, settings_.showStdDev != 0);
    linePlot_ = new CLinePlotWnd(canvas_);
    linePlot_->Create(canvas_, 274, kPlotTop, 194, kPlotHeight);
    linePlot_->SetSource(source_);

    header_ = addViewLabel(canvas_, 266, 10, TopCentre, settings_.header, cellFont(arialFamilies(), kBold, 19),
                           kHeaderColour);
    footer_ = addViewLabel(canvas_, 266, 344, TopCentre, settings_.footer, cellFont(timesFamilies(), kBold, 21),
                           kFooterColour);
    // Centred at x = 266, a text wider than twice that would run off the view's left
    // edge: it is drawn smaller, or shortened with the whole text as its tool tip.
    for (CTextWnd* label : {header_, footer_})
        label->SetMaxWidth(kTitleMaxWidth);
    addMakerLabel(canvas_, 5, 364);

    frameLabel_ = addLabel(266, 308, TopCentre, text::kFrameLabel);
    // Between the frame number and the footer, in the statistics' size.
    qualityLabel_ = addLabel(266, 326, TopCentre, "");
    qualityLabel_->SetColour(kQualityColour);
    qualityLabel_->SetMaxWidth(kTitleMaxWidth);
    meanLabel_ = addLabel(5, 308, LeftCentre, text::kMeanLabel);
    stdDevLabel_ = addLabel(5, 324, LeftCentre, text::kStdDevLabel);
    totalLabel_ = addLabel(5, 340, LeftCentre, text::kTotalVolLabel);

    addLabel(157, 68, BottomCentre, text::kSizeGraphTitle);
    addLabel(371, 68, BottomCentre, text::kVsfGraphTitle);
    maxOrdinateLabel_ = addLabel(59, 70, RightCentre, formatG(maxOrdinate_));
    addLabel(59, 171, RightCentre, text::kOrdinateUnit);
    addLabel(59, 272, RightCentre, text::kOrdinateZero);
    addLabel(470, 70, LeftCentre, text::kVsfTop);
    addLabel(470, 272, LeftCentre, text::kVsfBottom);
    addLabel(470, 171, LeftCentre, text::kVsfTitle);
    addAxisLabels();
    addLabel(157, 290, TopCentre, text::kSizeUnit);
    addLabel(371, 290, TopCentre, text::kAngleUnit);
}

void SizeDistributionLayout::addAxisLabels()
{
    const char* const* size = text::kSizeAxis[model_];
    const char* const* angle = text::kAngleAxis[model_];
    addLabel(60, 272, TopLeft, size[0]);
    addLabel(157, 272, TopCentre, size[1]);
    addLabel(254, 272, TopRight, size[2]);
    addLabel(274, 272, TopLeft, angle[0]);
    addLabel(371, 272, TopCentre, angle[1]);
    addLabel(468, 272, TopRight, angle[2]);
}

std::string SizeDistributionLayout::statisticText(const char* label, double value, const char* unit)
{
    if (value < 0.0)
        return label;
    std::string text = std::string(label) + " " + formatFixed(value, 2);
    if (unit != nullptr && *unit != '\0')
        text.append(" ").append(unit);
    return text;
}

std::string SizeDistributionLayout::frameText(int frame)
{
    return text::kDataFramePrefix + std::to_string(frame);
}

std::string SizeDistributionLayout::qualityText(unsigned flags)
{
    std::string text;
    for (int b = 0; b < kQualityFlagCount; ++b)
        if (flags & kQualityFlagBits[b])
            text.append(text.empty() ? "" : text::kFrameQualitySeparator).append(text::kFrameQualityTexts[b]);
    return text;
}

void SizeDistributionLayout::showFrameTexts()
{
    const CFrameResult& result = source_->frameResult();
    frameLabel_->SetText(frameText(source_->frameNumber()));
    // Before the first frame there is nothing to judge.
    qualityLabel_->SetText(!source_->holdsFrame() ? std::string() : qualityText(qualityFlags(result, false)));
    meanLabel_->SetText(statisticText(text::kMeanLabel, result.mean(), text::kDiameterUnit));
    stdDevLabel_->SetText(statisticText(text::kStdDevLabel, result.stdDev(), text::kDiameterUnit));
    totalLabel_->SetText(statisticText(text::kTotalVolLabel, result.volumeSum(), text::kConcentrationUnit));
}

void SizeDistributionLayout::redrawPlots()
{
    barGraph_->SetMarks(settings_.showMean != 0, settings_.showStdDev != 0);
    barGraph_->update();
    linePlot_->update();
}

void SizeDistributionLayout::showSource(const CDataSource& source)
{
    if (&source == source_)
        return;
    source_ = &source;
    barGraph_->SetFrame(&source_->frameResult());
    linePlot_->SetSource(source_);
}

void SizeDistributionLayout::setMaxOrdinate(double value)
{
    maxOrdinate_ = value;
    maxOrdinateLabel_->SetText(formatG(value));
    barGraph_->SetYMax(value);
}

}  // namespace kavro
