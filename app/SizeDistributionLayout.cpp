#include "app/SizeDistributionLayout.h"

#include "core/CDataSource.h"
#include "core/Settings.h"
#include "platform/NumText.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CLinePlotWnd.h"
#include "plots/CTextWnd.h"
#include "resources/AppTexts.h"

#include <QFontMetrics>

namespace kavro {

namespace {

// Anchor codes of the labels.
constexpr int kLeftCentre = 0;
constexpr int kRightCentre = 1;
constexpr int kTopCentre = 2;
constexpr int kBottomCentre = 3;
constexpr int kTopLeft = 4;
constexpr int kTopRight = 5;

constexpr int kBold = 700;
constexpr int kMedium = 500;

const QColor kHeaderColour(255, 0, 0);
const QColor kFooterColour(0, 0, 128);
const QColor kMakerColour(0, 128, 0);

}  // namespace

SizeDistributionLayout::SizeDistributionLayout(QWidget* canvas, const CDataSource& source, const Settings& settings,
                                               int model)
    : canvas_(canvas), source_(source), settings_(settings), model_(model == 1 || model == 2 ? model : 0)
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

CTextWnd* SizeDistributionLayout::addLabel(int x, int y, int anchor, const char* text)
{
    auto* label = new CTextWnd(canvas_);
    label->SetAlignment(anchor);
    label->Create(canvas_, x, y);
    label->SetText(text);
    return label;
}

CTextWnd* SizeDistributionLayout::addLabel(int x, int y, int anchor, const std::string& text, const QFont& font,
                                           const QColor& colour)
{
    auto* label = new CTextWnd(canvas_);
    label->SetAlignment(anchor);
    label->Create(canvas_, x, y);
    label->SetFont(font, colour);
    label->SetText(text);
    return label;
}

void SizeDistributionLayout::build()
{
    barGraph_ = new CBarGraphWnd(CFrameResult::classCount(), canvas_);
    barGraph_->Create(canvas_, 60, 70, 194, 202);
    barGraph_->SetYMax(maxOrdinate_);
    barGraph_->SetFrame(&source_.frameResult());
    barGraph_->SetMarks(settings_.showMean != 0, settings_.showStdDev != 0);
    linePlot_ = new CLinePlotWnd(canvas_);
    linePlot_->Create(canvas_, 274, 70, 194, 202);
    linePlot_->SetSource(&source_);

    header_ = addLabel(266, 10, kTopCentre, settings_.header, cellFont(arialFamilies(), kBold, 19), kHeaderColour);
    footer_ = addLabel(266, 344, kTopCentre, settings_.footer, cellFont(timesFamilies(), kBold, 21), kFooterColour);
    addLabel(5, 364, kTopLeft, text::kMakerLabel, cellFont(arialFamilies(), kMedium, 11), kMakerColour);

    frameLabel_ = addLabel(266, 308, kTopCentre, text::kFrameLabel);
    meanLabel_ = addLabel(5, 308, kLeftCentre, text::kMeanLabel);
    stdDevLabel_ = addLabel(5, 324, kLeftCentre, text::kStdDevLabel);
    totalLabel_ = addLabel(5, 340, kLeftCentre, text::kTotalVolLabel);

    addLabel(157, 68, kBottomCentre, text::kSizeGraphTitle);
    addLabel(371, 68, kBottomCentre, text::kVsfGraphTitle);
    maxOrdinateLabel_ = addLabel(59, 70, kRightCentre, formatG(maxOrdinate_).c_str());
    addLabel(59, 171, kRightCentre, text::kOrdinateUnit);
    addLabel(59, 272, kRightCentre, text::kOrdinateZero);
    addLabel(470, 70, kLeftCentre, text::kVsfTop);
    addLabel(470, 272, kLeftCentre, text::kVsfBottom);
    addLabel(470, 171, kLeftCentre, text::kVsfTitle);
    addAxisLabels();
    addLabel(157, 290, kTopCentre, text::kSizeUnit);
    addLabel(371, 290, kTopCentre, text::kAngleUnit);
}

void SizeDistributionLayout::addAxisLabels()
{
    const char* const* size = text::kSizeAxis[model_];
    const char* const* angle = text::kAngleAxis[model_];
    addLabel(60, 272, kTopLeft, size[0]);
    addLabel(157, 272, kTopCentre, size[1]);
    addLabel(254, 272, kTopRight, size[2]);
    addLabel(274, 272, kTopLeft, angle[0]);
    addLabel(371, 272, kTopCentre, angle[1]);
    addLabel(468, 272, kTopRight, angle[2]);
}

std::string SizeDistributionLayout::statisticText(const char* label, double value)
{
    if (value < 0.0)
        return label;
    return std::string(label) + " " + formatFixed(value, 2);
}

std::string SizeDistributionLayout::frameText(int frame)
{
    return text::kDataFramePrefix + std::to_string(frame);
}

void SizeDistributionLayout::showFrameTexts()
{
    const CFrameResult& result = source_.frameResult();
    frameLabel_->SetText(frameText(source_.frameNumber()));
    meanLabel_->SetText(statisticText(text::kMeanLabel, result.mean()));
    stdDevLabel_->SetText(statisticText(text::kStdDevLabel, result.stdDev()));
    totalLabel_->SetText(statisticText(text::kTotalVolLabel, result.volumeSum()));
}

void SizeDistributionLayout::redrawPlots()
{
    barGraph_->SetMarks(settings_.showMean != 0, settings_.showStdDev != 0);
    barGraph_->update();
    linePlot_->update();
}

void SizeDistributionLayout::setMaxOrdinate(double value)
{
    maxOrdinate_ = value;
    maxOrdinateLabel_->SetText(formatG(value));
    barGraph_->SetYMax(value);
}

}  // namespace kavro
