#pragma once
// The display of a raw-data-file view: the whole file as a ring image with its
// colour scale and page markers, the auxiliary graph with its labels and channel
// legend, and the frame label that Process File writes into.
#include "plots/Arrangement.h"

#include <vector>

class QWidget;

namespace kavro {

class CDibWnd;
class CHKGraphWnd;
class CMarkerStrip;
class CRawFile;
class CTextWnd;
class DisplaySelection;
class HKGraphListener;
struct RingImagePixels;

class RawFileLayout {
public:
    // The view's client area the child frame is sized for (the bar comes below).
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 432;
    static constexpr int kImageWidth = 400;

    // The rows of the ring image and of the auxiliary graph (with its border): a
    // taller window gives them its extra height.
    static std::vector<ArrangementScale::Rows> plotRows();

    RawFileLayout(QWidget* canvas, CRawFile& source, const DisplaySelection& selection, HKGraphListener& listener);

    // Makes every child window, once; the graph tells listener its first cursor
    // frame and selection while it is made.
    void build();
    // The channel legend beside the graph for the selection as it is now, in place
    // of the one shown before.
    void buildLegend();
    // The graph's page: frames first .. last in the page labels and the markers.
    void showPage(int first, int last);

    // Where a marker for frame stands under the image of a file of frames frames.
    static int markerPosition(int frame, int frames, int width, bool lastMarker);
    // Palette index of row i of the colour scale (97 rows, 255 at the top).
    static int scaleIndex(int row);

    CDibWnd* ringImage() const { return ringImage_; }
    CDibWnd* colourScale() const { return colourScale_; }
    CMarkerStrip* markers() const { return markers_; }
    CHKGraphWnd* graph() const { return graph_; }
    CTextWnd* frameLabel() const { return frameLabel_; }
    CTextWnd* pageLabel(int i) const { return i == 0 ? firstPageLabel_ : lastPageLabel_; }
    const std::vector<CTextWnd*>& legend() const { return legend_; }

private:
    void buildRingImage();
    void buildColourScale();
    void buildLabels();

    QWidget* canvas_;
    CRawFile& source_;
    const DisplaySelection& selection_;
    HKGraphListener& listener_;
    int frames_ = 0;
    CDibWnd* ringImage_ = nullptr;
    CDibWnd* colourScale_ = nullptr;
    CMarkerStrip* markers_ = nullptr;
    CHKGraphWnd* graph_ = nullptr;
    CTextWnd* frameLabel_ = nullptr;
    CTextWnd* firstPageLabel_ = nullptr;
    CTextWnd* lastPageLabel_ = nullptr;
    std::vector<CTextWnd*> legend_;
};

}  // namespace kavro
