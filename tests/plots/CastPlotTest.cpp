// The cast picture: its pixel columns follow the frames (the diagonal cast draws
// a diagonal), frames without a usable distribution are drawn as gaps.
#include "core/CastSummary.h"
#include "plots/cast/CastPlot.h"
#include "tests/support/DiagonalCast.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

class CastPlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CastSource source;
        source.path = DiagonalCast::write(dir);
        source.header = decodePsdHeader(reinterpret_cast<const unsigned char*>(DiagonalCast::bytes().data()));
        summary = summariseCast(source, CastPlot::columnsFor(size, CastPlot::Orientation::AlongX), CastAxis::Frame);
        image.fill(Qt::black);
        QPainter painter(&image);
        plot = std::make_unique<CastPlot>(summary, CastPlot::Orientation::AlongX);
        plot->draw(painter, size);
    }
    static double lightness(QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); }

    TempDir dir;
    QSize size{1000, 700};
    QImage image{size, QImage::Format_RGB32};
    CastSummary summary;
    std::unique_ptr<CastPlot> plot;
};

TEST_F(CastPlotTest, ThePixelColumnsFollowTheFramesAsADiagonal)
{
    const QRectF r = plot->imageRect();
    const double classHeight = r.height() / kClasses;
    for (int i = 0; i < DiagonalCast::kFrames; ++i) {
        if (i == DiagonalCast::kLaserOff || i == DiagonalCast::kSaturated)
            continue;
        const auto x = plot->pixelOfFrame(i);
        ASSERT_TRUE(x.has_value()) << i;
        // The lightest pixel of the column is the lit class (the map ends in its lightest colour).
        int brightest = -1;
        double best = -1.0;
        for (int y = static_cast<int>(r.top()) + 1; y < static_cast<int>(r.bottom()); ++y) {
            const double l = lightness(image.pixel(static_cast<int>(*x), y));
            if (l > best) {
                best = l;
                brightest = y;
            }
        }
        const double expected = r.bottom() - (DiagonalCast::classOf(i) + 0.5) * classHeight;
        EXPECT_NEAR(brightest, expected, classHeight) << "frame " << i;
        EXPECT_EQ(plot->frameAt(QPointF(*x, r.center().y())), i);
    }
}

TEST_F(CastPlotTest, FramesWithoutADistributionAreGapsNotZeros)
{
    const QRectF r = plot->imageRect();
    auto neutral = [](QRgb c) { return std::abs(qRed(c) - qGreen(c)) < 4 && std::abs(qGreen(c) - qBlue(c)) < 4; };
    for (int i : {DiagonalCast::kLaserOff, DiagonalCast::kSaturated}) {
        const int x = static_cast<int>(*plot->pixelOfFrame(i));
        for (int y = static_cast<int>(r.top()) + 2; y < static_cast<int>(r.bottom()) - 1; y += 7)
            EXPECT_TRUE(neutral(image.pixel(x, y))) << "frame " << i << " row " << y;  // grey, no colour of the map
    }
    // A zero class of a usable frame has the map's darkest colour, which is not grey.
    const int x = static_cast<int>(*plot->pixelOfFrame(10));
    EXPECT_FALSE(neutral(image.pixel(x, static_cast<int>(r.top()) + 3)));
}

}  // namespace
