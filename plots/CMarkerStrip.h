#pragma once
// A thin strip of up to ten upward triangles: marks positions along a window of
// the same nominal width above it (the page of the auxiliary graph within the
// whole-file image).
#include "plots/CDrawingWnd.h"

#include <array>

namespace kavro {

class CMarkerStrip : public CDrawingWnd {
    Q_OBJECT
public:
    static constexpr int kMaxMarkers = 10;

    explicit CMarkerStrip(QWidget* parent = nullptr);

    // The strip reaches half its height beyond both ends of (x, x + w), so that a
    // triangle at either end is drawn whole.
    void Create(QWidget* parent, int x, int y, int w, int h);
    // Index of the new marker, or -1 when the strip already holds ten.
    int AddMarker(int x);
    // Returns the previous position; indexes outside 0..9 are ignored (0 returned).
    int SetMarker(int index, int x);

    int markerCount() const { return count_; }
    int halfHeight() const { return halfHeight_; }

    // Where marker position x stands in the strip as it is drawn now (a larger
    // view stretches the strip with the image above it).
    int drawnAt(int x) const;

    void renderInto(QPainter& painter, bool printer) override;

private:
    int halfHeight_ = 0;
    int width_ = 0;  // the nominal width the positions are given in
    std::array<int, kMaxMarkers> markers_{};
    int count_ = 0;
};

}  // namespace kavro
