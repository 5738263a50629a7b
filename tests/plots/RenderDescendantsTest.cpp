#include "PlotTestSupport.h"
#include "FakeSource.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CDibBarMeter.h"
#include "plots/CLinePlotWnd.h"
#include "plots/CMarkerStrip.h"
#include "plots/CTextWnd.h"
#include "tests/support/PlatformSkips.h"
#include "tests/support/TestFiles.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <gtest/gtest.h>

namespace kavro {
namespace {

constexpr int kPageW = 532;
constexpr int kPageH = 416;  // whole points: 312 pt

// A view-like page: plots, labels, a strip, a label inside a plain container, and
// windows that must not print (a hidden label, a popup).
class Page {
public:
    Page()
    {
        root.resize(kPageW, kPageH);
        for (int c = 0; c < 32; ++c) {
            frame.setDiameter(c, 10.0 * (c + 1));
            frame.setVolume(c, (c % 8) * 1.25);
            frame.setVsf(c, 4.0 - c * 0.25);
        }
        frame.setMean(100.0);
        frame.setStdDev(30.0);
        bars.Create(&root, 60, 70, 194, 202);
        bars.SetFrame(&frame);
        bars.SetYMax(10.0);
        bars.SetMarks(true, true);
        line.Create(&root, 274, 70, 194, 202);
        source.beam = 0.1234;
        line.SetSource(&source);
        title.SetAlignment(CPlacedWnd::BottomCentre);
        title.Create(&root, 157, 68);
        title.SetText("Particle Size Distribution");
        strip.Create(&root, 50, 300, 400, 8);
        strip.AddMarker(0);
        strip.AddMarker(200);
        box.setGeometry(300, 320, 200, 60);
        inner.Create(&box, 10, 10);
        inner.SetText("Data Frame: 17");
        hidden.Create(&root, 5, 380);
        hidden.SetText("Hidden label");
        hidden.hide();
        tip.Create(&bars, 0, 0, QStringLiteral("Popup text"));
        meter.Create(&root, QRect(480, 300, 42, 102), 2, 100);
        meter.SetThreshold(0.3, CDibBarMeter::kYellow, 0);
        meter.SetThreshold(0.6, CDibBarMeter::kGreen, 1);
        meter.SetValue(0.45, 0);
        meter.SetValue(0.8, 1);
    }

    QWidget root;
    test::SourceEnv env;
    test::FakeSource source{env};
    CFrameResult& frame = source.frameResult();
    CBarGraphWnd bars{32};
    CLinePlotWnd line;
    CTextWnd title;
    CMarkerStrip strip;
    QWidget box{&root};
    CTextWnd inner;
    CTextWnd hidden;
    CValueTipWnd tip;
    CDibBarMeter meter;
};

QImage renderToImage(Page& page)
{
    QImage image(kPageW, kPageH, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderDescendants(&page.root, painter, true);
    return image;
}

// Lays the page out on a PDF page whose pixels at 96 dpi are the view's pixels.
void setUpPdfPage(QPagedPaintDevice& device)
{
    device.setPageSize(QPageSize(QSizeF(kPageW / 96.0, kPageH / 96.0), QPageSize::Inch));
    device.setPageMargins(QMarginsF(0, 0, 0, 0));
}

std::string requireTool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromUtf8(name)).toStdString();
}

QImage rasterise(const std::string& pdf, const std::string& stem)
{
    QProcess::execute(QString::fromStdString(requireTool("pdftoppm")),
                      {"-r", "96", "-png", "-singlefile", QString::fromStdString(pdf), QString::fromStdString(stem)});
    return QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
}

std::string pdfText(const std::string& pdf)
{
    QProcess process;
    process.start(QString::fromStdString(requireTool("pdftotext")), {QString::fromStdString(pdf), "-"});
    process.waitForFinished();
    return process.readAllStandardOutput().toStdString();
}

TEST(RenderDescendants, DrawsEveryVisibleDrawingWindowAtItsPlace)
{
    Page page;
    QImage image = renderToImage(page);
    // Bar graph client starts at (61, 71); its printed frame one pixel outside.
    EXPECT_EQ(image.pixelColor(60, 150), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(61 + 7 * 6 + 2, 71 + 199), QColor(0, 128, 128));  // class 7, full
    EXPECT_EQ(image.pixelColor(61 + 6 * 6 + 2, 71), QColor(128, 128, 128));      // class 6, marked
    // Line plot frame.
    EXPECT_EQ(image.pixelColor(274, 150), QColor(Qt::black));
    // The strip's first marker tip under x 50.
    EXPECT_EQ(image.pixelColor(50, 300), QColor(Qt::black));
    // The label inside the plain container is drawn at its place in the root.
    QRect innerInk = test::inkBox(image.copy(310, 330, 190, 50), Qt::white);
    EXPECT_TRUE(innerInk.isValid());
    // Neither the hidden label nor the popup is drawn.
    EXPECT_FALSE(test::inkBox(image.copy(0, 375, 250, 39), Qt::white).isValid());
    EXPECT_EQ(image.pixelColor(61, 72), QColor(Qt::white));  // class 0 is empty, no popup over it
}

TEST(RenderDescendants, PdfShowsTheSamePictureAndKeepsTheText)
{
    KAVRO_NEEDS_PDF_TOOLS();
    // ./test.sh installs poppler-utils (scripts/packages.sh): without it this is a broken set-up, not a skip.
    ASSERT_FALSE(requireTool("pdftoppm").empty() || requireTool("pdftotext").empty()) << "poppler-utils not installed";
    Page page;
    QImage expected = renderToImage(page);
    test::TempDir dir;
    const std::string pdf = dir.file("page.pdf");
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setResolution(96);
        setUpPdfPage(writer);
        QPainter painter(&writer);
        renderDescendants(&page.root, painter, true);
    }
    QImage printed = rasterise(pdf, dir.file("page"));
    ASSERT_EQ(printed.size(), expected.size());

    // The bar graph with its frame is made of rectangles on whole pixels: the very
    // same pixels.
    for (int y = 69; y <= 272; ++y)
        for (int x = 59; x <= 254; ++x)
            ASSERT_EQ(printed.pixelColor(x, y), expected.pixelColor(x, y)) << x << "," << y;
    // The bar meter's two one-pixel columns keep their own colours, unblurred.
    const QPoint yellowBar(481 + 10, 301 + 90);
    const QPoint emptyTop(481 + 10, 301 + 10);
    const QPoint greenBar(481 + 30, 301 + 50);
    EXPECT_EQ(expected.pixelColor(yellowBar), QColor(224, 224, 0));
    EXPECT_EQ(printed.pixelColor(yellowBar), QColor(224, 224, 0));
    EXPECT_EQ(printed.pixelColor(emptyTop), QColor(Qt::white));
    EXPECT_EQ(printed.pixelColor(greenBar), QColor(0, 192, 0));
    // Labels stand where they stand in the image (anti-aliasing aside).
    QRect titleArea(0, 40, kPageW, 29);
    QRect inkImage = test::inkBox(expected.copy(titleArea), Qt::white);
    QRect inkPdf = test::inkBox(printed.copy(titleArea), Qt::white);
    ASSERT_TRUE(inkImage.isValid());
    EXPECT_NEAR(inkPdf.left(), inkImage.left(), 2);
    EXPECT_NEAR(inkPdf.right(), inkImage.right(), 2);
    EXPECT_NEAR(inkPdf.bottom(), inkImage.bottom(), 2);

    const std::string text = pdfText(pdf);
    EXPECT_NE(text.find("Particle Size Distribution"), std::string::npos) << text;
    EXPECT_NE(text.find("beam c = 0.123"), std::string::npos) << text;
    EXPECT_NE(text.find("Data Frame: 17"), std::string::npos) << text;
    EXPECT_EQ(text.find("Hidden label"), std::string::npos) << text;
}

TEST(RenderDescendants, TwoColourPrinterGetsBlackAndWhiteBars)
{
    KAVRO_NEEDS_PDF_TOOLS();
    ASSERT_FALSE(requireTool("pdftoppm").empty()) << "poppler-utils not installed";
    Page page;
    test::TempDir dir;
    auto printTo = [&](QPrinter::ColorMode mode, const std::string& name) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.file(name + ".pdf")));
        printer.setResolution(96);
        printer.setColorMode(mode);
        setUpPdfPage(printer);
        {
            QPainter painter(&printer);
            renderDescendants(&page.root, painter, true);
        }
        return rasterise(dir.file(name + ".pdf"), dir.file(name));
    };
    const QPoint ordinaryBar(61 + 7 * 6 + 2, 71 + 199);
    const QPoint ordinaryAbove(61 + 1 * 6 + 2, 71);
    const QPoint markedBar(61 + 6 * 6 + 2, 71 + 199);
    const QPoint markedAbove(61 + 6 * 6 + 2, 71);

    QImage grey = printTo(QPrinter::GrayScale, "grey");
    EXPECT_EQ(grey.pixelColor(ordinaryBar), QColor(Qt::black));
    EXPECT_EQ(grey.pixelColor(ordinaryAbove), QColor(Qt::white));
    EXPECT_EQ(grey.pixelColor(markedBar), QColor(Qt::white));
    EXPECT_EQ(grey.pixelColor(markedAbove), QColor(Qt::black));

    QImage colour = printTo(QPrinter::Color, "colour");
    EXPECT_EQ(colour.pixelColor(ordinaryBar), QColor(0, 128, 128));
    EXPECT_EQ(colour.pixelColor(markedBar), QColor(224, 224, 224));
    EXPECT_EQ(colour.pixelColor(markedAbove), QColor(128, 128, 128));
}

}  // namespace
}  // namespace kavro
