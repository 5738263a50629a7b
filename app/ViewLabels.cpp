#include "app/ViewLabels.h"

#include "app/SizeDistributionLayout.h"
#include "plots/CTextWnd.h"
#include "resources/AppTexts.h"

namespace kavro {
namespace {

constexpr int kMedium = 500;
const QColor kMakerColour(0, 128, 0);

}  // namespace

CTextWnd* addViewLabel(QWidget* canvas, int x, int y, int anchorCode, const std::string& text)
{
    auto* label = new CTextWnd(canvas);
    label->SetAlignment(anchorCode);
    label->Create(canvas, x, y);
    label->SetText(text);
    return label;
}

CTextWnd* addViewLabel(QWidget* canvas, int x, int y, int anchorCode, const std::string& text, const QFont& font,
                       const QColor& colour)
{
    auto* label = new CTextWnd(canvas);
    label->SetAlignment(anchorCode);
    label->Create(canvas, x, y);
    label->SetFont(font, colour);
    label->SetText(text);
    return label;
}

CTextWnd* addMakerLabel(QWidget* canvas, int x, int y)
{
    return addViewLabel(canvas, x, y, anchor::TopLeft, text::kMakerLabel,
                        SizeDistributionLayout::cellFont(SizeDistributionLayout::arialFamilies(), kMedium, 11),
                        kMakerColour);
}

}  // namespace kavro
