// The whole-file ring image: which frame each column shows, the 256-step scale of
// a ring value, and the frames peeked without processing.
#include "acquisition/RingImage.h"
#include "tests/acquisition/RawFileFixture.h"

using namespace kavro;
using namespace kavro::test;

TEST(RingImage, ColumnsSpreadOverLongFiles)
{
    EXPECT_EQ(RingImage::columnCount(0), 0);
    EXPECT_EQ(RingImage::columnCount(450), 450);
    EXPECT_EQ(RingImage::columnCount(1024), 1024);
    EXPECT_EQ(RingImage::columnCount(1025), 1024);
    EXPECT_EQ(RingImage::frameOfColumn(449, 450), 449);
    // 1023 * 1025 / 1024 = 1023.999..., truncated.
    EXPECT_EQ(RingImage::frameOfColumn(1023, 1025), 1023);
    EXPECT_EQ(RingImage::frameOfColumn(1, 2048), 2);
    // No overflow on the longest files.
    EXPECT_EQ(RingImage::frameOfColumn(1023, 2000000000), 1998046875);
}

TEST(RingImage, PixelsOnA256StepScale)
{
    EXPECT_EQ(RingImage::pixelOf(0.0), 0);
    EXPECT_EQ(RingImage::pixelOf(15.0), 0);
    EXPECT_EQ(RingImage::pixelOf(16.0), 1);
    EXPECT_EQ(RingImage::pixelOf(4095.0), 255);
    // Off the scale: index 0, as a zero ring.
    EXPECT_EQ(RingImage::pixelOf(4096.0), 0);
    EXPECT_EQ(RingImage::pixelOf(65535.0), 0);
}

TEST_F(RawFileTest, TheRingImagePeeksEveryColumnsFrameAsStored)
{
    // Frame f: ring 1 = 16 f, ring 2 = 4096, ring 3 = 4095, the others 100.  Multi-scan
    // files are not divided: the picture shows the words as stored.
    std::vector<std::vector<std::uint16_t>> frames;
    for (int f = 0; f < 6; ++f) {
        std::vector<std::uint16_t> words = rawFrame(100, f < 4 ? 5000 : 4000);
        words[0] = static_cast<std::uint16_t>(16 * f);
        words[1] = 4096;
        words[2] = 4095;
        frames.push_back(words);
    }
    prepare(rawRecords(frames));
    CRawFile src(context, &owner);
    src.open();
    ASSERT_EQ(src.multiScan(), 1);

    RingImagePixels image = RingImage::read(src);
    EXPECT_EQ(image.columns, 6);
    EXPECT_EQ(image.rows, 32);
    EXPECT_EQ(image.columnsRead, 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(image.pixels[static_cast<std::size_t>(c)], c);           // ring 1
        EXPECT_EQ(image.pixels[static_cast<std::size_t>(6 + c)], 0);       // ring 2
        EXPECT_EQ(image.pixels[static_cast<std::size_t>(12 + c)], 255);    // ring 3
        EXPECT_EQ(image.pixels[static_cast<std::size_t>(31 * 6 + c)], 6);  // ring 32: 100 * 256 / 4096
    }
    EXPECT_EQ(src.currentFrame(), 0);

    // A frame that cannot be read ends the picture there.
    src.setFrameRange(0, 2);
    image = RingImage::read(src);
    EXPECT_EQ(image.columnsRead, 3);
    EXPECT_EQ(image.pixels[4], 0);
}
