#pragma once
// A window that owns an 8-bit colour-table bitmap and stretches the whole of it
// over its client area.
#include "plots/CDibImage.h"
#include "plots/CDrawingWnd.h"

#include <optional>

namespace kavro {

class CDibWnd : public CDrawingWnd {
    Q_OBJECT
public:
    explicit CDibWnd(QWidget* parent = nullptr);

    // Each form puts a new image in place of the current one; a window that
    // exists already is only moved and resized.
    // 1. A copy of a bitmap (header with colour table, packed pixels), shown at
    //    its own size at (x, y).  False when the bitmap was not usable.
    bool Create(QWidget* parent, int x, int y, std::span<const std::uint8_t> info,
                std::span<const std::uint8_t> packedPixels);
    // 2. A blank image of the rectangle's size; window = rect.
    bool Create(QWidget* parent, const QRect& rect);
    // 3. A blank w x h image stretched over the window rect.
    bool Create(QWidget* parent, const QRect& rect, int w, int h);

    // See CDibImage; each redraws the window.
    int SetPixels(int count, std::span<const std::uint8_t> source, bool padded);
    int SetColours(int first, int n, std::span<const PaletteEntry> colours);
    void FlipRows();

    // Stretches the whole image over rect, or over the client area when none is
    // given.  An image without pixels draws nothing.
    void Draw(QPainter& painter, std::optional<QRect> rect = std::nullopt) const;
    // Redraws the window on screen.
    void Draw() { update(); }

    const CDibImage& image() const { return image_; }

    void renderInto(QPainter& painter, bool printer) override;

private:
    void takeImage(CDibImage image);

    CDibImage image_;
};

}  // namespace kavro
