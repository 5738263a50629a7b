#include "PlotTestSupport.h"
#include "plots/CDibBarMeter.h"
#include "plots/CDibWnd.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <numeric>

namespace kavro {
namespace {

using test::renderClient;

std::vector<std::uint8_t> countingBytes(std::size_t n)
{
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

TEST(DibImage, NewImageIsTopDownGreyRampWithPaddedRows)
{
    EXPECT_EQ(CDibImage::rowBytes(3), 4);
    EXPECT_EQ(CDibImage::rowBytes(4), 4);
    EXPECT_EQ(CDibImage::rowBytes(5), 8);

    CDibImage image(5, 3);
    const DibHeader& h = image.header();
    EXPECT_EQ(h.biSize, 40);
    EXPECT_EQ(h.biWidth, 5);
    EXPECT_EQ(h.biHeight, -3);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 24u);  // 8 bytes x 3 rows
    EXPECT_TRUE(image.topDown());
    EXPECT_EQ(image.colours()[200].red, 200);
    EXPECT_EQ(image.colours()[200].green, 200);
    EXPECT_EQ(image.colours()[200].blue, 200);
    EXPECT_EQ(image.pixel(4, 2), 0);

    EXPECT_FALSE(CDibImage(0, 3).hasPixels());
    EXPECT_FALSE(CDibImage(4, -2).hasPixels());
    EXPECT_FALSE(CDibImage(1 << 20, 1 << 20).hasPixels());  // refused, not attempted
}

TEST(DibImage, SetPixelsTakesPackedOrPaddedRowsOfTheExactCount)
{
    CDibImage image(5, 3);
    const auto packed = countingBytes(15);
    EXPECT_EQ(image.SetPixels(15, packed, false), 15);
    EXPECT_EQ(image.pixel(0, 0), 1);
    EXPECT_EQ(image.pixel(4, 0), 5);
    EXPECT_EQ(image.pixel(0, 1), 6);
    EXPECT_EQ(image.pixel(4, 2), 15);

    // Padded source rows are 8 bytes apart; the padding is skipped.
    const auto padded = countingBytes(24);
    EXPECT_EQ(image.SetPixels(15, padded, true), 15);
    EXPECT_EQ(image.pixel(0, 1), 9);
    EXPECT_EQ(image.pixel(4, 2), 21);

    // A count other than width x height copies nothing.
    const auto other = countingBytes(24);
    EXPECT_EQ(image.SetPixels(16, other, false), 0);
    EXPECT_EQ(image.SetPixels(24, other, true), 0);
    EXPECT_EQ(image.pixel(0, 1), 9);
    // Nor does a source shorter than its rows.
    EXPECT_EQ(image.SetPixels(15, std::span(padded).first(20), true), 0);
    EXPECT_EQ(image.SetPixels(15, std::span(packed).first(14), false), 0);
    EXPECT_EQ(image.pixel(4, 2), 21);
}

TEST(DibImage, FlipRowsSwitchesTheShownRowOrder)
{
    CDibImage image(2, 3);
    const std::vector<std::uint8_t> rows = {10, 11, 20, 21, 30, 31};
    ASSERT_EQ(image.SetPixels(6, rows, false), 6);
    EXPECT_EQ(qGray(image.toImage().pixel(0, 0)), 10);
    image.FlipRows();
    EXPECT_EQ(image.header().biHeight, 3);
    EXPECT_FALSE(image.topDown());
    // Same bytes, now the first stored row is the bottom one.
    EXPECT_EQ(image.pixel(0, 0), 10);
    QImage shown = image.toImage();
    EXPECT_EQ(qGray(shown.pixel(0, 0)), 30);
    EXPECT_EQ(qGray(shown.pixel(1, 2)), 11);
    image.FlipRows();
    EXPECT_EQ(image.header().biHeight, -3);
}

TEST(DibImage, CopiesAnExistingBitmapAndRefusesBrokenOnes)
{
    CDibImage source(3, 2);
    const std::array<PaletteEntry, 2> colours = {PaletteEntry{1, 2, 3, 0}, PaletteEntry{4, 5, 6, 0}};
    EXPECT_EQ(source.SetColours(254, 2, colours), 2);
    EXPECT_EQ(source.SetColours(255, 2, colours), 1);  // only entry 255 exists
    const std::vector<std::uint8_t> pixels = {1, 2, 3, 4, 5, 6};
    source.SetPixels(6, pixels, false);
    source.FlipRows();

    const std::vector<std::uint8_t> info = source.bitmapInfoBytes();
    ASSERT_EQ(info.size(), 40u + 1024u);
    CDibImage copy = CDibImage::fromBitmap(info, pixels);
    ASSERT_TRUE(copy.hasPixels());
    EXPECT_EQ(copy.header().biHeight, 2);  // bottom-up kept
    EXPECT_EQ(copy.colours()[254].red, 3);
    EXPECT_EQ(copy.colours()[255].blue, 1);
    EXPECT_EQ(copy.pixel(2, 1), 6);
    EXPECT_EQ(copy.bitmapInfoBytes(), info);

    // A longer header moves the colour table with it.
    std::vector<std::uint8_t> longer(info.begin(), info.begin() + 40);
    longer[0] = 52;
    longer.insert(longer.end(), 12, 0xEE);
    longer.insert(longer.end(), info.begin() + 40, info.end());
    EXPECT_EQ(CDibImage::fromBitmap(longer, pixels).colours()[254].red, 3);

    EXPECT_FALSE(CDibImage::fromBitmap(std::span(info).first(1000), pixels).hasHeader());
    EXPECT_FALSE(CDibImage::fromBitmap(info, std::span(pixels).first(5)).hasPixels());
    std::vector<std::uint8_t> wrongDepth = info;
    wrongDepth[14] = 24;
    EXPECT_FALSE(CDibImage::fromBitmap(wrongDepth, pixels).hasPixels());
    std::vector<std::uint8_t> hugeWidth = info;
    hugeWidth[7] = 0x7F;
    EXPECT_FALSE(CDibImage::fromBitmap(hugeWidth, pixels).hasPixels());
}

TEST(DibWnd, StretchesTheWholeImageOverItsClientArea)
{
    QWidget parent;
    CDibWnd window;
    ASSERT_TRUE(window.Create(&parent, QRect(50, 30, 402, 98), 4, 2));
    EXPECT_EQ(window.geometry(), QRect(50, 30, 402, 98));
    EXPECT_EQ(window.clientWidth(), 400);
    EXPECT_EQ(window.clientHeight(), 96);
    const std::vector<std::uint8_t> pixels = {0, 85, 170, 255, 255, 170, 85, 0};
    window.SetPixels(8, pixels, false);

    QImage image = renderClient(window, false);
    // Each image pixel becomes a crisp 100 x 48 block.
    EXPECT_EQ(qGray(image.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(image.pixel(99, 47)), 0);
    EXPECT_EQ(qGray(image.pixel(100, 0)), 85);
    EXPECT_EQ(qGray(image.pixel(399, 0)), 255);
    EXPECT_EQ(qGray(image.pixel(0, 48)), 255);
    EXPECT_EQ(qGray(image.pixel(399, 95)), 0);

    // Flipped, the first stored row is shown at the bottom.
    window.FlipRows();
    image = renderClient(window, false);
    EXPECT_EQ(qGray(image.pixel(0, 95)), 0);
    EXPECT_EQ(qGray(image.pixel(0, 0)), 255);

    // Creating again moves the window and puts a blank image in place.
    window.Create(&parent, QRect(0, 0, 12, 12), 4, 2);
    EXPECT_EQ(window.geometry(), QRect(0, 0, 12, 12));
    EXPECT_EQ(window.image().pixel(1, 0), 0);
}

TEST(DibWnd, ImageWithoutPixelsDrawsNothing)
{
    QWidget parent;
    CDibWnd window;
    std::vector<std::uint8_t> broken(10, 0);
    EXPECT_FALSE(window.Create(&parent, 5, 5, broken, broken));
    window.resize(20, 20);
    QImage image = renderClient(window, false, 0, Qt::magenta);
    EXPECT_FALSE(test::inkBox(image, Qt::magenta).isValid());
}

TEST(DibBarMeter, ValueFillsItsBarFromTheBottom)
{
    QWidget parent;
    CDibBarMeter meter;
    ASSERT_TRUE(meter.Create(&parent, QRect(0, 0, 50, 102), 2, 100));
    EXPECT_EQ(meter.image().width(), 2);
    EXPECT_EQ(meter.image().height(), 100);
    // Empty at first: every pixel white.
    EXPECT_EQ(meter.image().pixel(0, 99), CDibBarMeter::kEmpty);
    EXPECT_EQ(meter.image().colours()[255].red, 255);

    meter.SetValue(0.5, 0);
    for (int row = 0; row < 100; ++row)
        EXPECT_EQ(meter.image().pixel(0, row), row >= 50 ? CDibBarMeter::kRed : CDibBarMeter::kEmpty) << row;
    EXPECT_EQ(meter.image().pixel(1, 99), CDibBarMeter::kEmpty);  // the other bar untouched

    meter.SetValue(1.7, 1);
    EXPECT_EQ(meter.image().pixel(1, 0), CDibBarMeter::kRed);
    meter.SetValue(-0.2, 1);
    EXPECT_EQ(meter.image().pixel(1, 99), CDibBarMeter::kEmpty);
    meter.SetValue(0.9, 2);  // no such bar
    EXPECT_EQ(meter.value(2), 0.0);
}

TEST(DibBarMeter, LaterThresholdsOverrideEarlierOnes)
{
    QWidget parent;
    CDibBarMeter meter;
    ASSERT_TRUE(meter.Create(&parent, QRect(0, 0, 20, 100), 0, 0));
    EXPECT_EQ(meter.barCount(), 1);
    EXPECT_EQ(meter.levelCount(), 100);
    meter.SetThreshold(0.3, CDibBarMeter::kYellow, 0);
    meter.SetThreshold(0.6, CDibBarMeter::kGreen, 1);
    meter.SetThreshold(0.1, 7, 10);  // ignored
    EXPECT_EQ(meter.ColourFor(0.7), CDibBarMeter::kGreen);
    EXPECT_EQ(meter.ColourFor(0.4), CDibBarMeter::kYellow);
    EXPECT_EQ(meter.ColourFor(0.2), CDibBarMeter::kRed);
    EXPECT_EQ(meter.ColourFor(0.6), CDibBarMeter::kYellow);  // not above 0.6

    // An earlier threshold set higher does not hide a later, lower one.
    meter.SetThreshold(0.6, CDibBarMeter::kGreen, 0);
    meter.SetThreshold(0.3, CDibBarMeter::kYellow, 1);
    EXPECT_EQ(meter.ColourFor(0.7), CDibBarMeter::kYellow);

    // The colours as drawn.
    meter.SetThreshold(0.3, CDibBarMeter::kYellow, 0);
    meter.SetThreshold(0.6, CDibBarMeter::kGreen, 1);
    meter.SetValue(0.7, 0);
    QImage image = renderClient(meter, false);
    EXPECT_EQ(image.pixelColor(5, 97), QColor(0, 192, 0));
    EXPECT_EQ(image.pixelColor(5, 2), QColor(Qt::white));
    meter.SetValue(0.4, 0);
    EXPECT_EQ(renderClient(meter, false).pixelColor(5, 97), QColor(224, 224, 0));
    meter.SetValue(0.2, 0);
    EXPECT_EQ(renderClient(meter, false).pixelColor(5, 97), QColor(255, 0, 0));
}

}  // namespace
}  // namespace kavro
