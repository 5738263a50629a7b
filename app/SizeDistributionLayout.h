#pragma once
// The display of an instrument or .psd view: the size-distribution bar graph, the
// scattering-function line plot and their labels at fixed pixel positions, with
// the texts that follow the current frame.
#include "plots/Arrangement.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <string>
#include <vector>

class QWidget;

namespace kavro {

class CBarGraphWnd;
class CDataSource;
class CLinePlotWnd;
class CTextWnd;
class Settings;

class SizeDistributionLayout {
public:
    // The view's client area the child frame is sized for (the bar comes below).
    static constexpr int kClientWidth = 532;
    static constexpr int kClientHeight = 414;

    // The rows of the two plots: a taller window gives them its extra height.
    static std::vector<ArrangementScale::Rows> plotRows() { return {{kPlotTop, kPlotTop + kPlotHeight}}; }
    static constexpr int kPlotTop = 70;
    static constexpr int kPlotHeight = 202;

    // Children go onto canvas; model (0..2) selects the axis labels.
    SizeDistributionLayout(QWidget* canvas, const CDataSource& source, const Settings& settings, int model);

    // Makes every child window, once.
    void build();
    // The frame label and the three statistics of the source's current frame.
    void showFrameTexts();
    // The bar graph and the line plot draw the current frame again.
    void redrawPlots();
    // The source whose current frame the plots and texts show: the view's own, or
    // a frame held still while the view's source goes on (not owned).
    void showSource(const CDataSource& source);
    const CDataSource& shownSource() const { return *source_; }

    double maxOrdinate() const { return maxOrdinate_; }
    // The top of the size axis: its label and the bar graph's scale.
    void setMaxOrdinate(double value);

    CBarGraphWnd* barGraph() const { return barGraph_; }
    CLinePlotWnd* linePlot() const { return linePlot_; }
    CTextWnd* header() const { return header_; }
    CTextWnd* footer() const { return footer_; }
    CTextWnd* frameLabel() const { return frameLabel_; }
    CTextWnd* meanLabel() const { return meanLabel_; }
    CTextWnd* stdDevLabel() const { return stdDevLabel_; }
    CTextWnd* totalLabel() const { return totalLabel_; }
    CTextWnd* qualityLabel() const { return qualityLabel_; }
    CTextWnd* maxOrdinateLabel() const { return maxOrdinateLabel_; }

    // "Mean: %.2lf µm" and the like from the label "Mean:" and the unit; a negative
    // value (no distribution) gives the bare label.
    static std::string statisticText(const char* label, double value, const char* unit);
    // "Data Frame: %d".
    static std::string frameText(int frame);
    // What is wrong with a frame, from its quality flags ("No usable laser light ·
    // Saturated rings"); empty for a sound frame.
    static std::string qualityText(unsigned flags);
    // A font of the first family that exists whose lines are cellHeight pixels high.
    static QFont cellFont(const QStringList& families, int weight, int cellHeight);
    // The families that stand for "Arial" and "New Times Roman".
    static QStringList arialFamilies();
    static QStringList timesFamilies();

private:
    CTextWnd* addLabel(int x, int y, int anchorCode, const std::string& text);
    void addAxisLabels();

    QWidget* canvas_;
    const CDataSource* source_;
    const Settings& settings_;
    int model_;
    double maxOrdinate_ = 10.0;
    CBarGraphWnd* barGraph_ = nullptr;
    CLinePlotWnd* linePlot_ = nullptr;
    CTextWnd* header_ = nullptr;
    CTextWnd* footer_ = nullptr;
    CTextWnd* frameLabel_ = nullptr;
    CTextWnd* meanLabel_ = nullptr;
    CTextWnd* stdDevLabel_ = nullptr;
    CTextWnd* totalLabel_ = nullptr;
    CTextWnd* qualityLabel_ = nullptr;
    CTextWnd* maxOrdinateLabel_ = nullptr;
};

}  // namespace kavro
