// The cast picture: its pixel columns follow the frames (the diagonal cast draws
// a diagonal), frames without a usable distribution are drawn as gaps, and no two
// texts of the picture overlap, down to the smallest picture the windows allow.
#include "plots/cast/CastAxes.h"
#include "plots/cast/CastPlot.h"
#include "plots/cast/StationMap.h"
#include "products/CastSummary.h"
#include "tests/support/DiagonalCast.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

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
        source.pressureLabel = "Pressure";
        source.pressureUnits = "dbar";
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

// A calibration whose class diameters are not evenly spaced in log D (here 1, 2, ...
// 32 um): each class is drawn between its own edges on the log diameter axis.
TEST_F(CastPlotTest, EachClassLiesBetweenItsOwnEdges)
{
    CastSource source;
    source.path = dir.file("linear.psd");
    source.header = decodePsdHeader(reinterpret_cast<const unsigned char*>(DiagonalCast::bytes().data()));
    for (int k = 0; k < kClasses; ++k)
        source.diameters[static_cast<std::size_t>(k)] = k + 1.0;
    writeFile(source.path, DiagonalCast::bytes());
    const CastSummary s = summariseCast(source, CastPlot::columnsFor(size, CastPlot::Orientation::AlongX), CastAxis::Frame);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    CastPlot linear(s, CastPlot::Orientation::AlongX);
    linear.draw(painter, size);
    const QRectF r = linear.imageRect();
    const ClassEdges e = source.classEdges();
    auto yOf = [&](double d) { return r.bottom() - std::log(d / e[0]) / std::log(e[32] / e[0]) * r.height(); };
    for (int i : {2, 6, 12, 30, 62}) {
        const int k = DiagonalCast::classOf(i);
        const int x = static_cast<int>(*linear.pixelOfFrame(i));
        int brightest = -1;
        double best = -1.0;
        for (int y = static_cast<int>(r.top()) + 1; y < static_cast<int>(r.bottom()); ++y)
            if (lightness(picture.pixel(x, y)) > best) {
                best = lightness(picture.pixel(x, y));
                brightest = y;
            }
        EXPECT_LE(brightest, yOf(e[static_cast<std::size_t>(k)]) + 1) << "frame " << i << " class " << k + 1;
        EXPECT_GE(brightest, yOf(e[static_cast<std::size_t>(k + 1)]) - 1) << "frame " << i << " class " << k + 1;
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

// A paint device that draws nothing and keeps where each text went (its box in
// device pixels, turned texts included).
class TextBoxes : public QPaintDevice {
public:
    struct Text {
        QString text;
        QRectF box;
        bool turned;  // drawn turned a quarter
    };
    explicit TextBoxes(QSize size) : size_(size) {}
    const std::vector<Text>& texts() const { return engine_.texts; }
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & QPaintEngine::DirtyTransform)
                transform = state.transform();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawLines(const QLineF*, int) override {}
        void drawRects(const QRectF*, int) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            texts.push_back({item.text(), transform.mapRect(box), std::fabs(transform.m12()) > 0.5});
        }
        Type type() const override { return QPaintEngine::User; }
        QTransform transform;
        std::vector<Text> texts;
    };
    QSize size_;
    mutable Engine engine_;
};

// The picture at the least size of the overview panel's picture and of the
// Cast Overview window, at a usual size, and a short wide strip.
class CastPlotTextTest : public CastPlotTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(CastPlotTextTest, NoTwoTextsOverlapAndTheAxisTitlesAreThere)
{
    const QSize at = GetParam();
    CastPlot small(summary, CastPlot::Orientation::AlongX);
    TextBoxes device(at);
    {
        QPainter painter(&device);
        small.draw(painter, at);
    }
    const auto& texts = device.texts();
    ASSERT_GT(texts.size(), 10u);
    int titles = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QRectF& a = texts[i].box;
        EXPECT_TRUE(QRectF(0, 0, at.width(), at.height()).adjusted(-1, -1, 1, 1).contains(a))
            << texts[i].text.toStdString() << " runs off the picture";
        // A turned text is an axis title beside its panel (the colour bar's too).
        titles += texts[i].turned;
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const QRectF overlap = a.intersected(texts[j].box);
            EXPECT_FALSE(overlap.width() > 0.5 && overlap.height() > 0.5)
                << "\"" << texts[i].text.toStdString() << "\" and \"" << texts[j].text.toStdString() << "\" overlap at "
                << at.width() << "x" << at.height();
        }
    }
    EXPECT_EQ(titles, 6);  // size axis, four panels, colour bar
}

// A profile as narrow as beside its cast's picture on a report page: every text
// whole (none cut short with an ellipsis) and the diameter axis labelled along the
// whole image, not left bare because its decades are few.
TEST_F(CastPlotTest, ANarrowProfileKeepsItsTextsWholeAndItsDiameterTicks)
{
    for (const QSize at : {QSize(410, 660), QSize(300, 500)}) {
        SCOPED_TRACE(at.width());
        CastPlot profile(summary, CastPlot::Orientation::Profile);
        TextBoxes device(at);
        {
            QPainter painter(&device);
            profile.draw(painter, at);
        }
        const QRectF image = profile.imageRect();
        std::vector<double> diameterLabels;
        for (const auto& t : device.texts()) {
            EXPECT_FALSE(t.text.contains(QChar(0x2026))) << t.text.toStdString();
            bool number = false;
            t.text.toDouble(&number);
            if (number && t.box.top() >= image.bottom() && t.box.center().x() >= image.left() - 1 &&
                t.box.center().x() <= image.right() + 1)
                diameterLabels.push_back(t.box.center().x());
        }
        EXPECT_GE(diameterLabels.size(), 2u);
    }
    // Two decades inside a span of more than two: both, not one tick or linear ones.
    std::vector<double> values;
    for (const CastTick& t : logTicks(2.5, 500, 2))
        values.push_back(t.value);
    EXPECT_EQ(values, (std::vector<double>{10, 100}));
}

// The station map keeps the shape of the area: a degree of longitude drawn as
// cos(latitude) of a degree of latitude, every station inside, and a single
// station (or stations on one spot) still on a map of some kilometres.
TEST(StationMap, TheExtentKeepsTheShapeAndHoldsEveryStation)
{
    const struct {
        const char* name;
        std::vector<MapStation> stations;
        double width, height;
    } cases[] = {
        {"wide at 60 N", {{60.0, 5.0, {}, {}}, {60.5, 8.0, {}, {}}}, 400, 300},
        {"tall south of the equator", {{-30.0, -20.0, {}, {}}, {-20.0, -19.0, {}, {}}}, 300, 400},
        {"one station", {{54.18, 7.9, {}, {}}}, 300, 300},
        {"a station without position beside one with", {{NAN, NAN, {}, {}}, {10.0, 10.0, {}, {}}}, 200, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MapExtent e = mapExtent(c.stations, c.width, c.height);
        const double midLat = (e.lat0 + e.lat1) / 2;
        const double dx = (e.lon1 - e.lon0) * std::cos(midLat * 3.14159265358979 / 180), dy = e.lat1 - e.lat0;
        EXPECT_GT(dy, 0.01);
        EXPECT_NEAR(dx / dy, c.width / c.height, 0.02 * c.width / c.height);
        for (const MapStation& s : c.stations)
            if (std::isfinite(s.latitude)) {
                EXPECT_GT(s.latitude, e.lat0);
                EXPECT_LT(s.latitude, e.lat1);
                EXPECT_GT(s.longitude, e.lon0);
                EXPECT_LT(s.longitude, e.lon1);
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, CastPlotTextTest,
                         ::testing::Values(QSize(352, 260), QSize(480, 320), QSize(1000, 700), QSize(1300, 330), QSize(460, 630)));

}  // namespace
