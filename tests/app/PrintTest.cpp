// Printing a view: into a PDF that keeps its text, at the screen's size per pixel.
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CommandTable.h"
#include "app/CMainFrame.h"
#include "app/ViewPrinter.h"
#include "app/FrameNavigator.h"
#include "app/SizeDistributionLayout.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CDrawingWnd.h"
#include "tests/support/PlatformSkips.h"
#include "tests/app/AppTestSupport.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

using namespace kavro;
using namespace kavro::test;

namespace {

using PrintTest = AppFixture;

bool havePoppler()
{
    return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") == 0;
}

// Pixels of an image that are not white.
int inkedPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white))
                ++n;
    return n;
}

TEST(PageMapping, OneViewPixelPrintsAtItsScreenSize)
{
    QImage screen(10, 10, QImage::Format_RGB32);
    screen.setDotsPerMeterX(3780);  // 96 dpi
    screen.setDotsPerMeterY(3780);
    QImage page(10, 10, QImage::Format_RGB32);
    page.setDotsPerMeterX(23622);  // 600 dpi
    page.setDotsPerMeterY(11811);  // 300 dpi
    QTransform t = ViewPrinter::pageMapping(page, screen);
    EXPECT_NEAR(t.m11(), 600.0 / 96.0, 0.01);
    EXPECT_NEAR(t.m22(), 300.0 / 96.0, 0.01);
}

TEST_F(PrintTest, PrintingToAPdfGivesAPageWithTheViewsTextAndGraphs)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    QPrinter& printer = app->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    std::string pdf = dir.file("view.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    app->mainFrame()->action(cmd::Print)->trigger();
    ASSERT_TRUE(fileExists(pdf));
    EXPECT_TRUE(prompter->calls().empty());
    // ./test.sh installs poppler-utils (scripts/packages.sh): without it this is a broken set-up, not a skip.
    KAVRO_NEEDS_PDF_TOOLS();
    ASSERT_TRUE(havePoppler()) << "poppler-utils are needed to read the PDF back";

    std::string txt = dir.file("view.txt");
    ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + txt + "'").c_str()), 0);
    std::string text = readFile(txt);
    for (const char* expected : {"Particle Size Distribution", "Volume Scattering Function", "Data Frame: 0",
                                 "Mean: 10.00 µm", "Orvandel (KAVRO)", "µm", "beam c = 0.000"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    // The page names what it shows: the file and the frame, and when it was printed.
    EXPECT_NE(text.find("cast07.psd"), std::string::npos) << text;
    EXPECT_NE(text.find("Printed 20"), std::string::npos) << text;
    std::size_t frames = 0;
    for (std::size_t at = text.find("Data Frame: 0"); at != std::string::npos; at = text.find("Data Frame: 0", at + 1))
        ++frames;
    EXPECT_EQ(frames, 2u) << text;  // the view's label and the caption's

    ASSERT_EQ(std::system(("pdftoppm -r 50 -png -singlefile '" + pdf + "' '" + dir.file("page") + "'").c_str()), 0);
    QImage page(QString::fromStdString(dir.file("page.png")));
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(inkedPixels(page), 1000);
    // The bars are teal: the graph is on the page, not only its text.
    bool teal = false;
    for (int y = 0; y < page.height() && !teal; ++y)
        for (int x = 0; x < page.width() && !teal; ++x)
            teal = page.pixelColor(x, y) == QColor(0, 128, 128);
    EXPECT_TRUE(teal);
}

TEST(PageCaption, NamesTheFileTheFrameItsTimeAndThePrintDate)
{
    const double printed = 1796890542.0;  // 2026-12-10T08:15:42Z
    struct Row {
        std::optional<int> frame;
        double frameUtc;
        const char* caption;
    };
    for (const Row& r : {Row{17, 1796883645.123, "cast07.psd     Data Frame: 17     2026-12-10T06:20:45.123Z     "
                                                 "Printed 2026-12-10 08:15 UTC"},
                         Row{17, std::nan(""), "cast07.psd     Data Frame: 17     Printed 2026-12-10 08:15 UTC"},
                         Row{std::nullopt, 1796883645.0, "cast07.psd     Printed 2026-12-10 08:15 UTC"}})
        EXPECT_EQ(ViewPrinter::captionText("cast07.psd", r.frame, r.frameUtc, printed), r.caption);
}

TEST_F(PrintTest, APrintedViewMatchesItsLayoutAtTheScreensScale)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    // A "printer" of the screen's own resolution: the page is the view, pixel for pixel.
    QImage page(600, 450, QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(frame->view()->canvas()->logicalDpiX() / 0.0254));
    page.setDotsPerMeterY(qRound(frame->view()->canvas()->logicalDpiY() / 0.0254));
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setTransform(ViewPrinter::pageMapping(page, *frame->view()->canvas()));
    renderDescendants(frame->view()->canvas(), painter, true);
    painter.end();
    // The bar graph's frame is drawn just outside its client area (61, 71, 192 x 200).
    EXPECT_EQ(page.pixelColor(61, 70), QColor(Qt::black));
    EXPECT_EQ(page.pixelColor(150, 70), QColor(Qt::black));
    EXPECT_EQ(page.pixelColor(150, 20), QColor(Qt::white));
}

TEST_F(PrintTest, APageIsLaidOutLikeAWindowOfItsSizeAndTheWindowStaysAsItWas)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    QPrinter& printer = app->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    std::string pdf = dir.file("page.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    ArrangementCanvas* canvas = frame->view()->canvas();
    CDrawingWnd* bar = frame->view()->sizeLayout()->barGraph();
    const QRect onScreen = bar->geometry();
    ASSERT_TRUE(frame->view()->printPage(printer));
    EXPECT_EQ(bar->geometry(), onScreen);
    EXPECT_TRUE(canvas->scale().isIdentity());

    KAVRO_NEEDS_PDF_TOOLS();
    ASSERT_TRUE(havePoppler()) << "poppler-utils are needed to read the PDF back";
    // At the screen's resolution a page pixel is a view pixel: the bar graph's frame
    // on the page is as wide as on a window of the page's printable size.
    const int dpi = canvas->logicalDpiX();
    ASSERT_EQ(std::system(("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + pdf + "' '" +
                           dir.file("page") + "'")
                              .c_str()),
              0);
    QImage page(QString::fromStdString(dir.file("page.png")));
    ASSERT_FALSE(page.isNull());
    int longest = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0, run = 0; x < page.width(); ++x) {
            run = page.pixelColor(x, y).value() < 64 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    const ArrangementScale forPage = canvas->scaleFor(ViewPrinter::pageArea(printer, *canvas));
    ASSERT_GT(forPage.xScale(), 1.1);
    EXPECT_NEAR(longest, forPage.map(QRect(60, 70, 194, 202)).width() + 2, 3);
}

TEST_F(PrintTest, CancelledPrintingPrintsNothingAndAFailedOneIsTold)
{
    ASSERT_NE(openPsd(), nullptr);
    QPrinter& printer = app->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("no/such/folder/view.pdf")));
    dialogs->printAccepted = false;
    app->mainFrame()->action(cmd::Print)->trigger();
    EXPECT_TRUE(prompter->calls().empty());
    dialogs->printAccepted = true;
    app->mainFrame()->action(cmd::Print)->trigger();
    EXPECT_EQ(prompter->messages(), std::vector<std::string>{"The page could not be printed."});
}

TEST_F(PrintTest, PreviewDrawsThroughTheSamePath)
{
    ASSERT_NE(openPsd(), nullptr);
    QPrinter& printer = app->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    std::string pdf = dir.file("preview.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    // A running animation pauses while the preview is open, so that the page printed
    // from it is the page it shows, and goes on afterwards.
    CKavroView* view = app->mainFrame()->activeFrame()->view();
    view->navigator()->toggle();
    app->mainFrame()->action(cmd::PrintPreview)->trigger();
    EXPECT_EQ(dialogs->previewsShown, 1);
    EXPECT_TRUE(fileExists(pdf));
    EXPECT_TRUE(view->navigator()->running());
}

}  // namespace
