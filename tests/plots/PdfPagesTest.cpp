// The pages of a report, drawn apart (each on a thread of its own), written into one PDF.
#include "plots/cast/CruiseReport.h"
#include "tests/support/PlatformSkips.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace kavro;
using kavro::test::readFile;
using kavro::test::TempDir;

namespace {

// pdfinfo's or pdftotext's output for the file, runs of spaces as one.
std::string tool(const TempDir& dir, const std::string& command, const std::string& pdf)
{
    const std::string out = dir.file("tool.txt");
    if (std::system((command + " " + pdf + " > " + out + " 2>&1").c_str()) != 0)
        return "(" + command + " failed)";
    std::string text;
    for (char ch : readFile(out))
        if (ch != ' ' || text.empty() || text.back() != ' ')
            text += ch;
    return text;
}

}  // namespace

TEST(PdfPages, ThePagesDrawnApartAreOneDocumentInOrderAndTheSameEveryTime)
{
    TempDir dir;
    const CruiseReportScale scale;
    CruiseReportInfo info;
    info.title = "Report title";
    info.depthUnits = "m";
    info.created = 1796774400;  // 2026-12-09 00:00:00 UTC
    // Each page a cruise page without casts, told apart by its title; drawn on threads of their own.
    const char* titles[] = {"alpha page", "bravo page", "charlie page"};
    std::vector<DrawnReportPage> pages(3);
    {
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < pages.size(); ++i)
            threads.emplace_back([&, i] {
                CruiseReportInfo own = info;
                own.title = titles[i];
                pages[i] = drawCruisePage({}, own, scale, 3);
            });
        for (std::thread& t : threads)
            t.join();
    }
    for (const auto& page : pages)
        ASSERT_TRUE(page);
    const std::string a = dir.file("a.pdf"), b = dir.file("b.pdf");
    ASSERT_TRUE(writeCruiseReport(pages, info, a));
    ASSERT_TRUE(writeCruiseReport(pages, info, b));
    EXPECT_EQ(readFile(a), readFile(b));  // no clock, no random identifier
    KAVRO_NEEDS_PDF_TOOLS();
    if (!std::filesystem::exists("/usr/bin/pdfinfo") || !std::filesystem::exists("/usr/bin/pdftotext"))
        GTEST_SKIP() << "no poppler-utils";
    const std::string described = tool(dir, "pdfinfo -f 1 -l 9", a);
    EXPECT_NE(described.find("Pages: 3\n"), std::string::npos) << described;
    EXPECT_NE(described.find("Title: Report title\n"), std::string::npos) << described;
    EXPECT_NE(described.find("CreationDate: Wed Dec 9 00:00:00 2026 UTC"), std::string::npos) << described;
    for (int i = 1; i <= 3; ++i)
        EXPECT_NE(described.find("Page " + std::to_string(i) + " size: 842 x 595 pts (A4)"), std::string::npos)
            << described;
    EXPECT_EQ(described.find("rror"), std::string::npos) << described;
    const std::string text = tool(dir, "pdftotext -layout", a + " -");
    const std::size_t first = text.find("alpha page"), second = text.find("bravo page"), third = text.find("charlie page");
    ASSERT_NE(third, std::string::npos) << text;
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 3);
}

TEST(PdfPages, AMissingPageOrAnUnwritableFileWritesNothing)
{
    TempDir dir;
    CruiseReportInfo info;
    const DrawnReportPage page = drawCruisePage({}, info, CruiseReportScale{}, 2);
    ASSERT_TRUE(page);
    const std::string path = dir.file("r.pdf");
    EXPECT_FALSE(writeCruiseReport({page, nullptr}, info, path));
    EXPECT_FALSE(writeCruiseReport({}, info, path));
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::create_directories(dir.file("folder"));
    EXPECT_FALSE(writeCruiseReport({page}, info, dir.file("folder")));  // a folder in the way
    // A report that was there stays whole when the new one cannot be made.
    ASSERT_TRUE(writeCruiseReport({page}, info, path));
    const std::string before = readFile(path);
    EXPECT_FALSE(writeCruiseReport({page, nullptr}, info, path));
    EXPECT_EQ(readFile(path), before);
}
