#include "app/RawFileLayout.h"

#include "acquisition/CRawFile.h"
#include "acquisition/RingImage.h"
#include "app/ViewLabels.h"
#include "auxiliary/CHKInfo.h"
#include "auxiliary/ui/CHKGraphWnd.h"
#include "core/ColourTable.h"
#include "plots/CDibWnd.h"
#include "plots/CMarkerStrip.h"
#include "plots/CTextWnd.h"
#include "resources/AppTexts.h"

#include <algorithm>

namespace kavro {
namespace {

using namespace anchor;

const QRect kImageRect(50, 30, 400, 97);
const QRect kScaleRect(470, 30, 20, 97);
constexpr int kScaleRows = 97;
constexpr int kMarkerY = 127;
constexpr int kMarkerHeight = 8;
constexpr int kGraphX = 50;
constexpr int kGraphY = 162;
constexpr int kGraphWidth = 400;
constexpr int kGraphHeight = 180;
constexpr int kLegendX = 460;
constexpr int kLegendStep = 20;

CTextWnd* addRotatedLabel(QWidget* canvas, int x, int y, int anchorCode, const char* text)
{
    auto* label = new CTextWnd(canvas);
    label->SetAlignment(anchorCode);
    label->SetAngle(90.0);
    label->Create(canvas, x, y);
    label->SetText(text);
    return label;
}

}  // namespace

RawFileLayout::RawFileLayout(QWidget* canvas, CRawFile& source, const DisplaySelection& selection,
                             HKGraphListener& listener)
    : canvas_(canvas), source_(source), selection_(selection), listener_(listener)
{
}

std::vector<ArrangementScale::Rows> RawFileLayout::plotRows()
{
    return {{kImageRect.top(), kImageRect.top() + kImageRect.height()}, {kGraphY, kGraphY + kGraphHeight + 2}};
}

int RawFileLayout::markerPosition(int frame, int frames, int width, bool lastMarker)
{
    if (frames <= 0)
        return 0;
    const int x = static_cast<int>(static_cast<double>(frame) / frames * width);
    return lastMarker ? std::min(x, width - 1) : std::max(x, 0);
}

int RawFileLayout::scaleIndex(int row)
{
    return static_cast<int>(255.0 - row * 256.0 / kScaleRows);
}

void RawFileLayout::build()
{
    frames_ = source_.recordCount();
    addViewLabel(canvas_, 250, 10, TopCentre, text::kRawViewTitle);
    buildRingImage();
    buildColourScale();

    graph_ = new CHKGraphWnd(listener_, selection_, canvas_);
    graph_->Create(canvas_, kGraphX, kGraphY, kGraphWidth, kGraphHeight, source_.frameSummary());
    buildLabels();
    buildLegend();
}

void RawFileLayout::buildRingImage()
{
    const RingImagePixels pixels = RingImage::read(source_);
    ringImage_ = new CDibWnd(canvas_);
    ringImage_->Create(canvas_, kImageRect, pixels.columns, pixels.rows);
    const auto palette = ringImagePalette();
    ringImage_->SetColours(0, static_cast<int>(palette.size()), palette);
    ringImage_->SetPixels(static_cast<int>(pixels.pixels.size()), pixels.pixels, false);
    // Ring 1 is the first row set; shown bottom-up it stands at the bottom, beside "1".
    ringImage_->FlipRows();

    markers_ = new CMarkerStrip(canvas_);
    markers_->Create(canvas_, kImageRect.x(), kMarkerY, kImageWidth, kMarkerHeight);
    const int pageEnd = std::min(frames_, static_cast<int>(CHKGraphWnd::kPageFrames));
    markers_->AddMarker(markerPosition(0, frames_, kImageWidth, false));
    markers_->AddMarker(markerPosition(pageEnd, frames_, kImageWidth, true));
}

void RawFileLayout::buildColourScale()
{
    colourScale_ = new CDibWnd(canvas_);
    colourScale_->Create(canvas_, kScaleRect, 1, kScaleRows);
    const auto palette = ringImagePalette();
    colourScale_->SetColours(0, static_cast<int>(palette.size()), palette);
    std::vector<std::uint8_t> column(kScaleRows);
    for (int i = 0; i < kScaleRows; ++i)
        column[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(scaleIndex(i));
    colourScale_->SetPixels(kScaleRows, column, false);
}

void RawFileLayout::buildLabels()
{
    addViewLabel(canvas_, 45, 30, RightCentre, text::kRingsTop);
    addViewLabel(canvas_, 45, 126, RightCentre, text::kRingsBottom);
    addViewLabel(canvas_, 250, 136, TopCentre, text::kImageCaption);
    addRotatedLabel(canvas_, 30, 78, RightCentre, text::kRingAxisTitle);
    addViewLabel(canvas_, 495, 30, LeftCentre, text::kColourScaleTop);
    addViewLabel(canvas_, 495, 126, LeftCentre, text::kColourScaleBottom);
    addRotatedLabel(canvas_, 510, 78, LeftCentre, text::kColourScaleTitle);
    addViewLabel(canvas_, 46, 162, RightCentre, text::kGraphTop);
    addViewLabel(canvas_, 46, 340, RightCentre, text::kGraphBottom);
    firstPageLabel_ = addViewLabel(canvas_, 50, 347, TopCentre, "0");
    lastPageLabel_ = addViewLabel(canvas_, 450, 347, TopCentre, std::to_string(CHKGraphWnd::kPageFrames - 1));
    addViewLabel(canvas_, 250, 352, TopCentre, text::kGraphCaption);
    frameLabel_ = addViewLabel(canvas_, 250, 372, TopCentre, text::kBlankFrameLabel);
    addMakerLabel(canvas_, 5, 376);
}

void RawFileLayout::buildLegend()
{
    for (CTextWnd* label : legend_)
        delete label;
    legend_.clear();
    for (int k = 0; k < kAuxChannels; ++k) {
        if (!selection_.IsShown(k))
            continue;
        const int y = kGraphY + kLegendStep * static_cast<int>(legend_.size());
        // The channel's own label, as the Auxiliary Parameters window shows it, in
        // its trace colour on the graph's white.
        const HKChannel* channel = source_.auxCalibration().Channel(k);
        CTextWnd* label = addViewLabel(canvas_, kLegendX, y, TopLeft, channel ? channel->label : std::string());
        label->SetColour(CHKGraphWnd::channelColour(k));
        label->SetBackground(Qt::white);
        legend_.push_back(label);
    }
}

void RawFileLayout::showPage(int first, int last)
{
    firstPageLabel_->SetText(std::to_string(first));
    lastPageLabel_->SetText(std::to_string(last));
    markers_->SetMarker(0, markerPosition(first, frames_, kImageWidth, false));
    markers_->SetMarker(1, markerPosition(last, frames_, kImageWidth, true));
}

}  // namespace kavro
