#pragma once
// The ring plot of the Rings and Background Scatter Information windows: the
// two-series bar chart with its legend in the series' colours, the scale labels
// "0" and the maximum ("%g"), and the "+/-" button that asks for a new maximum.
// Laid out at kWidth x kHeight; a larger panel stretches the plot to fill it.
#include "background/ui/BackgroundHost.h"
#include "background/ui/CRingBarGraphWnd.h"
#include "plots/Arrangement.h"

class QPushButton;

namespace kavro {

class CTextWnd;
class Prompter;

class RingPlotPanel : public ArrangementCanvas {
    Q_OBJECT
public:
    // Geometry of the panel and of the plot inside it.
    static constexpr int kWidth = 390;
    static constexpr int kHeight = 262;
    static constexpr int kPlotX = 50;
    static constexpr int kPlotY = 44;
    static constexpr int kPlotWidth = 330;
    static constexpr int kPlotHeight = 210;

    RingPlotPanel(const char* firstLegend, const char* secondLegend, double maximum, Prompter& prompter,
                  DialogRunner runner, QWidget* parent = nullptr);

    void setSeries(const CRingBarGraphWnd::Rings& first, const CRingBarGraphWnd::Rings& second);
    // The top of the scale: the plot takes it and the top label shows it with "%g".
    void setMaximum(double maximum);
    double maximum() const { return maximum_; }
    // "+/-": the Maximum Scale Setting dialog; OK changes the maximum.
    void askMaximum();

    QSize sizeHint() const override { return {kWidth, kHeight}; }

    CRingBarGraphWnd* plot() const { return plot_; }
    CTextWnd* topLabel() const { return topLabel_; }
    CTextWnd* firstLegend() const { return firstLegend_; }
    CTextWnd* secondLegend() const { return secondLegend_; }
    QPushButton* scaleButton() const { return scaleButton_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CTextWnd* addLabel(int x, int y, int anchor, const char* text, const QColor& colour);

    Prompter& prompter_;
    DialogRunner runner_;
    double maximum_;
    CRingBarGraphWnd* plot_;
    CTextWnd* firstLegend_;
    CTextWnd* secondLegend_;
    CTextWnd* topLabel_;
    QPushButton* scaleButton_;
};

}  // namespace kavro
