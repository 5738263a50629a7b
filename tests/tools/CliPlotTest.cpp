// kavro-cli plot as a user runs it: PNG, PDF with its text, SVG, a folder of
// pictures, and clear refusals.  A build without Qt says why it has no plot.
#ifdef KAVRO_WITH_PLOT
#include "tests/support/DiagonalCast.h"
#include "tests/tools/CliRun.h"

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

std::string pdfText(const std::string& path)
{
    std::string text;
    if (std::FILE* p = ::popen(("pdftotext -q '" + path + "' - 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            text.append(buffer, n);
        ::pclose(p);
    }
    return text;
}

struct CliPlot : CliFixture {
    std::string plot(const std::vector<std::string>& more, int expected = 0)
    {
        std::vector<std::string> args = {"plot", "--profile", profile};
        args.insert(args.end(), more.begin(), more.end());
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, expected) << r.err;
        return r.err;
    }
};

TEST_F(CliPlot, WritesEachFormatByItsExtensionWithRealText)
{
    const std::string psd = DiagonalCast::write(work, "cast.psd");
    plot({psd, "-o", work.file("cast.png"), "--size", "900x600"});
    const QImage png(QString::fromStdString(work.file("cast.png")));
    EXPECT_EQ(png.size(), QSize(900, 600));

    plot({psd, "-o", work.file("cast.pdf")});
    const std::string text = pdfText(work.file("cast.pdf"));
    for (const char* expected : {"cast.psd", "64 frames", "Diameter (\u00b5m)", "Volume concentration (\u00b5l/l)",
                                 "Total volume (\u00b5l/l)", "Transmission", "Frame", "Depth (meters)"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in:\n" << text;
    // A cast whose end a power cut left zero-filled: those records are no frames, and told.
    const std::string cut = work.file("cut.psd");
    writeFile(cut, DiagonalCast::bytes() + std::string(2 * 512, '\0'));
    EXPECT_EQ(plot({cut, "-o", work.file("cut.pdf")}),
              "kavro-cli: warning: " + cut + ": 2 zero-filled records at the end, left out: the recording was cut off\n");
    EXPECT_NE(pdfText(work.file("cut.pdf")).find("64 frames"), std::string::npos);

    plot({psd, "-o", work.file("cast.svg"), "--profile-plot"});
    const std::string svg = readFile(work.file("cast.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("descent: frames 0 to 63"), std::string::npos);
}

TEST_F(CliPlot, SeveralCastsGoIntoAFolderAndBadRequestsAreRefused)
{
    const std::string a = DiagonalCast::write(work, "a.psd");
    const std::string b = DiagonalCast::write(work, "b.2.psd");
    const std::string folder = work.file("pictures");
    plot({a, b, "-o", folder}, 2);  // no such folder
    std::filesystem::create_directory(folder);
    plot({a, b, "-o", folder, "--format", "pdf"});
    EXPECT_TRUE(fileExists(folder + "/a.pdf"));
    EXPECT_TRUE(fileExists(folder + "/b.pdf"));

    EXPECT_NE(plot({a, "--size", "50x50"}, 2).find("--size"), std::string::npos);
    EXPECT_NE(plot({a, "-o", work.file("a.gif")}, 2).find(".png, .pdf or .svg"), std::string::npos);
    writeFile(work.file("junk.psd"), std::string(2048, 'x'));
    EXPECT_NE(plot({work.file("junk.psd"), "-o", work.file("junk.png")}, 1).find("junk.psd"), std::string::npos);
    EXPECT_FALSE(fileExists(work.file("junk.png")));
}

}  // namespace
#else
#include "tests/tools/CliRun.h"

#include <gtest/gtest.h>

using namespace kavro::test;

namespace {

// Whatever follows the command, the answer names it and the reason, never "unknown command".
TEST_F(CliFixture, PlotWithoutQtSaysWhyAndFails)
{
    const std::vector<std::vector<std::string>> kCalls = {
        {"plot"},
        {"plot", "cast.psd", "-o", "cast.png"},
        {"plot", "--help"},
        {"plot", "--no-such-option", "a", "b"},
    };
    for (const auto& call : kCalls) {
        SCOPED_TRACE(cliCommand(call));
        const CliResult r = runCli(call);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("plot is not available in "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Qt"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("unknown command"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_NE(runCli({"help"}).out.find("plot"), std::string::npos);
}

}  // namespace
#endif
