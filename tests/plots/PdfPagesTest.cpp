// Pages drawn apart by Qt's PDF writer and joined into one document.
#include "plots/cast/PdfPages.h"
#include "tests/support/TestFiles.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace kavro;
using kavro::test::readFile;
using kavro::test::TempDir;

namespace {

// The joined document, or nothing.
std::optional<std::string> joined(const std::vector<std::string>& documents)
{
    std::string out;
    const std::vector<std::string_view> views(documents.begin(), documents.end());
    if (!joinPdfPages(views, [&out](std::string_view bytes) {
            out += bytes;
            return true;
        }))
        return std::nullopt;
    return out;
}

// A PDF with one page per text, each page the given size (points), the text on it
// and a small image (a stream with binary data of its own).
std::string drawDocument(const std::vector<std::string>& texts, QSizeF points, const char* title = "doc")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(points, QPageSize::Point));
        writer.setTitle(QString::fromUtf8(title));
        QPainter p(&writer);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (i > 0)
                writer.newPage();
            p.drawText(QPointF(100, 300), QString::fromStdString(texts[i]));
            QImage image(16, 4, QImage::Format_ARGB32);
            image.fill(qRgba(static_cast<int>(i) * 40, 200, 30, 128));
            p.drawImage(QRectF(100, 400, 400, 100), image);
        }
    }
    return bytes.toStdString();
}

std::string save(const TempDir& dir, const std::string& name, const std::string& bytes)
{
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// pdftotext's text of the file, pages separated by form feeds.
std::string textOf(const TempDir& dir, const std::string& pdf)
{
    const std::string txt = dir.file("out.txt");
    if (std::system(("pdftotext " + pdf + " " + txt + " 2>/dev/null").c_str()) != 0)
        return "(pdftotext failed)";
    return readFile(txt);
}

}  // namespace

TEST(PdfPages, JoinsThePagesOfEachDocumentInOrder)
{
    const QSizeF a4(842, 595), letter(612, 792);
    const struct {
        const char* name;
        std::vector<std::vector<std::string>> documents;  // each document's page texts
        std::vector<QSizeF> sizes;
    } cases[] = {
        {"one document", {{"alpha"}}, {a4}},
        {"three one-page documents", {{"alpha"}, {"bravo"}, {"charlie"}}, {a4, a4, a4}},
        {"pages of several sizes, several pages each", {{"alpha", "bravo"}, {"charlie"}, {"delta", "echo", "fox"}},
         {a4, letter, a4}},
    };
    const bool haveTools = std::filesystem::exists("/usr/bin/pdftotext") && std::filesystem::exists("/usr/bin/pdfinfo");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::string> documents;
        std::vector<std::string> texts;
        std::vector<QSizeF> pageSizes;
        for (std::size_t d = 0; d < c.documents.size(); ++d) {
            documents.push_back(drawDocument(c.documents[d], c.sizes[d], d == 0 ? "first title" : "other title"));
            for (const std::string& t : c.documents[d]) {
                texts.push_back(t);
                pageSizes.push_back(c.sizes[d]);
            }
        }
        const auto whole = joined(documents);
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(pdfPageCount(*whole), static_cast<int>(texts.size()));
        if (!haveTools)
            continue;
        const std::string pdf = save(dir, "joined.pdf", *whole);
        // Every page's text on its own page, in order.
        std::string expected;
        for (const std::string& t : texts)
            expected += t + "\n\n\f";
        EXPECT_EQ(textOf(dir, pdf), expected);
        // Each page keeps its size; the first document's title is the document's; no complaints.
        const std::string info = dir.file("info.txt");
        ASSERT_EQ(std::system(("pdfinfo -f 1 -l 99 " + pdf + " > " + info + " 2> " + dir.file("err.txt")).c_str()), 0);
        std::string described;  // runs of spaces as one
        for (char ch : readFile(info))
            if (ch != ' ' || described.empty() || described.back() != ' ')
                described += ch;
        EXPECT_EQ(readFile(dir.file("err.txt")), "");
        EXPECT_NE(described.find("first title"), std::string::npos);
        for (std::size_t i = 0; i < pageSizes.size(); ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "Page %zu size: %g x %g pts", i + 1, pageSizes[i].width(),
                          pageSizes[i].height());
            EXPECT_NE(described.find(line), std::string::npos) << line << "\n" << described;
        }
    }
}

TEST(PdfPages, RefusesWhatItCannotRead)
{
    const std::string good = drawDocument({"alpha"}, QSizeF(842, 595));
    std::string noTable = good;
    noTable.replace(noTable.rfind("startxref"), 9, "startxxxx");
    std::string shortStream = good;
    shortStream.replace(shortStream.find("/Length "), 8, "/Length 99999999 ");
    std::string wrongTable = good;
    const std::size_t at = wrongTable.rfind("startxref") + 10;
    wrongTable.replace(at, wrongTable.find('\n', at) - at, "17");
    const struct {
        const char* name;
        std::vector<std::string> documents;
    } cases[] = {
        {"no documents", {}},
        {"not a PDF", {"hello, world"}},
        {"cut short", {good.substr(0, good.size() / 2)}},
        {"no cross-reference table", {noTable}},
        {"a table that is not there", {wrongTable}},
        {"a stream longer than the file", {shortStream}},
        {"one bad among good ones", {good, "%PDF-1.4\n", good}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(joined(c.documents).has_value());
    }
    // A write that fails is told.
    const std::vector<std::string_view> one{good};
    EXPECT_FALSE(joinPdfPages(one, [](std::string_view) { return false; }));
    EXPECT_EQ(pdfPageCount(good), 1);
    EXPECT_FALSE(pdfPageCount(noTable).has_value());
}
