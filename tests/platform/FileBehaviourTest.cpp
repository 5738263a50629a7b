// What the platform's files promise, checked through the platform's own calls
// only, so that the same tables run against the POSIX and the Win32 build.
#include "platform/File.h"
#include "platform/FileReplacement.h"
#include "platform/FileUtil.h"
#include "platform/OutputFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>
#include <string_view>
#include <span>
#include <optional>

using namespace kavro;
using kavro::test::readFile;
using kavro::test::TempDir;
using kavro::test::writeFile;

namespace {

// The names in a folder, as UTF-8.
std::set<std::string> namesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(pathFromUtf8(folder)))
        names.insert(utf8FromPath(entry.path().filename()));
    return names;
}

constexpr const char* kInUse = "in use by another program or window";
constexpr const char* kExists = "the file exists already";

}  // namespace

TEST(FileBehaviour, AHeldFileRefusesWritersAndKeepsItsBytes)
{
    enum class Holder { Writer, Viewer };
    enum class Second { WriterReplacing, WriterRefusingExisting, Viewer };
    const struct {
        Holder holder;
        Second second;
        bool allowed;
        const char* error;  // the refused writer's reason
    } cases[] = {
        {Holder::Writer, Second::WriterReplacing, false, kInUse},
        {Holder::Writer, Second::WriterRefusingExisting, false, kExists},
        {Holder::Writer, Second::Viewer, false, ""},  // a window never shows a file being written
        {Holder::Viewer, Second::WriterReplacing, false, kInUse},
        {Holder::Viewer, Second::WriterRefusingExisting, false, kExists},
        {Holder::Viewer, Second::Viewer, true, ""},  // two windows may show one file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "holder " << int(c.holder) << ", second " << int(c.second));
        TempDir dir;
        const std::string path = dir.file("cast.psd");
        writeFile(path, "first record");
        OutputFile writer;
        ReadOnlyFile viewer;
        if (c.holder == Holder::Writer) {
            ASSERT_TRUE(writer.create(path)) << writer.error();
            ASSERT_TRUE(writer.append("first record"));
        } else {
            ASSERT_TRUE(viewer.open(path)) << viewer.error();
            ASSERT_TRUE(viewer.lockShared()) << viewer.error();
        }
        if (c.second == Second::Viewer) {
            ReadOnlyFile second(path);
            ASSERT_TRUE(second.isOpen()) << second.error();
            EXPECT_EQ(second.lockShared(), c.allowed);
        } else {
            OutputFile second;
            const auto existing = c.second == Second::WriterReplacing ? OutputFile::Existing::Replace
                                                                       : OutputFile::Existing::Refuse;
            EXPECT_EQ(second.create(path, existing), c.allowed);
            EXPECT_EQ(second.error(), c.error);
            EXPECT_FALSE(second.isOpen());
            EXPECT_FALSE(second.append("x"));
        }
        EXPECT_EQ(readFile(path), "first record");
        if (c.holder == Holder::Writer) {
            EXPECT_TRUE(writer.append(", and the next"));
            writer.close();
            EXPECT_EQ(readFile(path), "first record, and the next");
        }
        // Let go, the file takes a new writer, which empties it.
        viewer.close();
        OutputFile after;
        ASSERT_TRUE(after.create(path)) << after.error();
        EXPECT_EQ(readFile(path), "");
    }
}

TEST(FileBehaviour, AFailedWriteIsToldAndLeavesOnlyWholeRecords)
{
    TempDir dir;
    // A limit of 1000 bytes stands in for a full disk: the second record fits only in part.
    if (!kavro::test::FileSizeLimit::available())
        GTEST_SKIP() << "no file size limit on this system";
    kavro::test::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.active());
    {
        OutputFile f;
        ASSERT_TRUE(f.create(dir.file("a.psd")));
        EXPECT_TRUE(f.append(std::string(512, 'a')));
        EXPECT_FALSE(f.append(std::string(512, 'b')));
        EXPECT_TRUE(f.failed());
        EXPECT_FALSE(f.error().empty());
        EXPECT_FALSE(f.append(std::string(8, 'c')));  // stopped for good
        f.close();
        EXPECT_EQ(readFile(dir.file("a.psd")), std::string(512, 'a'));
    }
    {
        writeFile(dir.file("profile.ini"), "old");
        FileReplacement r;
        ASSERT_TRUE(r.begin(dir.file("profile.ini"))) << r.error();
        EXPECT_FALSE(r.write(std::string(2000, 'x')));
        EXPECT_EQ(r.error().rfind(dir.file("profile.ini") + ": ", 0), 0u) << r.error();
        r.abandon();
        EXPECT_EQ(readFile(dir.file("profile.ini")), "old");
        EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"a.psd", "profile.ini"}));
    }
}

TEST(FileBehaviour, CreateRefusesWhatCannotBeWritten)
{
    TempDir dir;
    OutputFile f;
    EXPECT_FALSE(f.create(dir.file("missing/a.psd")));
    EXPECT_FALSE(f.error().empty());
    EXPECT_FALSE(f.append("x"));
    EXPECT_FALSE(f.create(dir.path()));  // a folder
    EXPECT_FALSE(f.isOpen());
}

TEST(FileBehaviour, AFileDeletedWhileWrittenIsAFailure)
{
    TempDir dir;
    if (!deletionIsToldWhileOpen(dir))
        GTEST_SKIP() << "this system does not tell an open file that it was deleted";
    OutputFile f;
    ASSERT_TRUE(f.create(dir.file("a.psd")));
    EXPECT_TRUE(f.append(std::string(512, 'a')));
    std::filesystem::remove(pathFromUtf8(dir.file("a.psd")));
    EXPECT_FALSE(f.append(std::string(512, 'b')));
    EXPECT_TRUE(f.failed());
    EXPECT_EQ(f.error(), "the file was deleted while it was being written");
}

TEST(FileBehaviour, TruncateCutsBackToWholeRecords)
{
    TempDir dir;
    OutputFile f;
    ASSERT_TRUE(f.create(dir.file("a.asc")));
    ASSERT_TRUE(f.append("line 1\n"));
    ASSERT_TRUE(f.append("line 2\n"));
    EXPECT_FALSE(f.truncateTo(15));  // past what was written
    EXPECT_FALSE(f.truncateTo(-1));
    ASSERT_TRUE(f.truncateTo(7));
    EXPECT_EQ(f.size(), 7);
    ASSERT_TRUE(f.append("line 3\n"));  // goes on where the file now ends
    f.close();
    EXPECT_EQ(readFile(dir.file("a.asc")), "line 1\nline 3\n");
}

TEST(FileBehaviour, ReplacementTakesTheNameOnlyWhenCommitted)
{
    enum class Before { Missing, Existing, Folder };
    enum class Writer { Bytes, ByName };
    const struct {
        const char* name;
        Before before;
        Writer writer;
        bool commit;
        bool ok;
        const char* after;  // the target's content afterwards
    } cases[] = {
        {"new file", Before::Missing, Writer::Bytes, true, true, "new"},
        {"over an existing file", Before::Existing, Writer::Bytes, true, true, "new"},
        {"over an existing file by name", Before::Existing, Writer::ByName, true, true, "new"},
        {"abandoned", Before::Existing, Writer::Bytes, false, true, "old"},
        {"abandoned new file", Before::Missing, Writer::Bytes, false, true, nullptr},
        {"a folder is never replaced", Before::Folder, Writer::Bytes, true, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string target = dir.file("out/cast.csv");  // the folder is made when missing
        if (c.before == Before::Existing) {
            std::filesystem::create_directories(pathFromUtf8(dir.file("out")));
            writeFile(target, "old");
        } else if (c.before == Before::Folder) {
            std::filesystem::create_directories(pathFromUtf8(target));
        }
        {
            FileReplacement r;
            const bool begun = r.begin(target);
            EXPECT_EQ(begun, c.ok) << r.error();
            if (begun) {
                EXPECT_EQ(directoryPart(r.temporaryPath()), dir.file("out"));  // beside, on the same disk
                EXPECT_NE(r.temporaryPath(), target);
                if (c.writer == Writer::Bytes) {
                    ASSERT_TRUE(r.write("n"));
                    ASSERT_TRUE(r.write("ew"));
                } else {
                    std::FILE* f = openFile(r.temporaryPath(), "wb");  // as a library writes its file
                    ASSERT_NE(f, nullptr);
                    std::fputs("new", f);
                    std::fclose(f);
                }
                if (c.commit)
                    EXPECT_TRUE(r.commit()) << r.error();
            } else {
                EXPECT_EQ(r.error().rfind(target + ": ", 0), 0u) << r.error();
            }
        }
        // Nothing but the target is left in the folder, whatever happened.
        const std::set<std::string> expected =
            c.after || c.before == Before::Folder ? std::set<std::string>{"cast.csv"} : std::set<std::string>{};
        EXPECT_EQ(namesIn(dir.file("out")), expected);
        if (c.after)
            EXPECT_EQ(readFile(target), c.after);
    }
}

TEST(FileBehaviour, ReplacingTwiceInARowKeepsTheLastVersion)
{
    TempDir dir;
    const std::string path = dir.file("kavro.INI");
    std::string error;
    for (const char* content : {"[A]\nx=1\n", "[A]\nx=2\n", ""}) {
        ASSERT_TRUE(replaceFileAtomically(path, content, &error)) << error;
        EXPECT_EQ(readFile(path), content);
    }
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"kavro.INI"}));
}

TEST(FileBehaviour, PathsWithCharactersBeyondAsciiWork)
{
    TempDir dir;
    const std::string folder = dir.file("M\xC3\xBCller/Fahrt 1");  // "Müller/Fahrt 1" in UTF-8
    std::filesystem::create_directories(pathFromUtf8(folder));
    const std::string path = joinPath(folder, "Station \xC3\xA5 7.psd");  // "Station å 7.psd"

    OutputFile out;
    ASSERT_TRUE(out.create(path)) << out.error();
    ASSERT_TRUE(out.append("0123456789"));
    out.close();
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"Station \xC3\xA5 7.psd"}));
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"M\xC3\xBCller"}));

    ReadOnlyFile in(path);
    ASSERT_TRUE(in.isOpen()) << in.error();
    char bytes[4] = {};
    EXPECT_EQ(in.readAt(3, bytes, sizeof bytes), 4);
    EXPECT_EQ(std::string(bytes, 4), "3456");
    const std::optional<FileStamp> stamp = fileStamp(path);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 10);
    EXPECT_TRUE(stamp->regular);
    EXPECT_EQ(stamp->identity, in.identity());

    std::string whole;
    EXPECT_TRUE(readWholeFile(path, whole));
    EXPECT_EQ(whole, "0123456789");
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(path, "replaced", &error)) << error;
    EXPECT_TRUE(readWholeFile(path, whole));
    EXPECT_EQ(whole, "replaced");
    EXPECT_TRUE(sameFile(path, joinPath(folder, "../Fahrt 1/Station \xC3\xA5 7.psd")));
    EXPECT_EQ(whyNotWritable(path), "");
    EXPECT_TRUE(freeBytesAt(folder).has_value());
    std::FILE* f = openFile(path, "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

TEST(FileBehaviour, IdentityTellsWhetherTwoOpensAreOneFile)
{
    TempDir dir;
    writeFile(dir.file("a.psd"), "a");
    writeFile(dir.file("b.psd"), "b");
    std::error_code linkError;
    std::filesystem::create_hard_link(pathFromUtf8(dir.file("a.psd")), pathFromUtf8(dir.file("hard.psd")), linkError);
    const struct {
        const char* first;
        const char* second;
        bool same;
    } cases[] = {
        {"a.psd", "a.psd", true},
        {"a.psd", "./a.psd", true},
        {"a.psd", "b.psd", false},
        {"a.psd", "hard.psd", true},  // another name of the same file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " and " << c.second);
        if (linkError && std::string(c.second) == "hard.psd")
            continue;  // no hard links on this file system
        ReadOnlyFile one(dir.file(c.first)), two(dir.file(c.second));
        ASSERT_TRUE(one.isOpen() && two.isOpen());
        EXPECT_EQ(one.identity() == two.identity(), c.same);
        EXPECT_NE(one.identity(), FileIdentity{});
        EXPECT_EQ(fileStamp(dir.file(c.second))->identity, two.identity());
    }
    // A file replaced under its name is another file for a reader holding the old one.
    ReadOnlyFile old(dir.file("b.psd"));
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(dir.file("b.psd"), "new b", &error)) << error;
    EXPECT_NE(fileStamp(dir.file("b.psd"))->identity, old.identity());
    char c = 0;
    EXPECT_EQ(old.readAt(0, &c, 1), 1);  // the old one still reads
    EXPECT_EQ(c, 'b');
    if (deletionIsToldWhileOpen(dir))
        EXPECT_TRUE(old.deleted());  // its name went to the new file

    ReadOnlyFile named(dir.file("a.psd"));
    EXPECT_FALSE(named.deleted());
    named.close();
    EXPECT_FALSE(named.deleted());
}

TEST(FileBehaviour, ReadAtReadsWhatIsThereAndRefusesWhatIsNoFile)
{
    TempDir dir;
    writeFile(dir.file("ten"), "0123456789");
    ReadOnlyFile f(dir.file("ten"));
    ASSERT_TRUE(f.isOpen()) << f.error();
    EXPECT_EQ(f.length(), 10);
    const struct {
        long long offset;
        std::size_t size;
        long long got;
        const char* bytes;
    } cases[] = {
        {0, 4, 4, "0123"}, {8, 4, 2, "89"}, {10, 4, 0, ""}, {20, 1, 0, ""}, {-1, 1, -1, ""}, {0, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        char buffer[8] = {};
        EXPECT_EQ(f.readAt(c.offset, buffer, c.size), c.got);
        EXPECT_EQ(std::string(buffer, c.got > 0 ? static_cast<std::size_t>(c.got) : 0), c.bytes);
    }
    ReadOnlyFile moved(std::move(f));
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(moved.length(), 10);

    ReadOnlyFile folder;
    EXPECT_FALSE(folder.open(dir.path()));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_FALSE(folder.error().empty());
    ReadOnlyFile missing;
    EXPECT_FALSE(missing.open(dir.file("missing")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(fileStamp(dir.file("missing")).has_value());
    EXPECT_FALSE(fileStamp(dir.path())->regular);
}

TEST(FileBehaviour, FreeDiskSpaceIsPlausible)
{
    TempDir dir;
    const std::optional<unsigned long long> free = freeBytesAt(dir.path());
    ASSERT_TRUE(free.has_value());
    const std::filesystem::space_info space = std::filesystem::space(pathFromUtf8(dir.path()));
    EXPECT_GT(*free, 0u);
    EXPECT_LE(*free, space.capacity);
    EXPECT_FALSE(freeBytesAt(dir.file("no/such/folder")).has_value());
}

TEST(FileBehaviour, ALiveFileIsForcedOntoTheDiskOnItsIntervalAndAtClose)
{
    TempDir dir;
    OutputFile live;
    ASSERT_TRUE(live.create(dir.file("live.psd")));
    live.setSyncInterval(3600.0);
    ASSERT_TRUE(live.append(std::string(512, 'a')));
    EXPECT_EQ(live.syncs(), 0);  // not due yet
    live.setSyncInterval(1e-9);
    ASSERT_TRUE(live.append(std::string(512, 'b')));
    EXPECT_EQ(live.syncs(), 1);
    live.setSyncInterval(3600.0);
    ASSERT_TRUE(live.append(std::string(512, 'c')));
    EXPECT_EQ(live.syncs(), 1);
    live.close();
    EXPECT_EQ(live.syncs(), 2);
    EXPECT_FALSE(live.failed());
    EXPECT_EQ(readFile(dir.file("live.psd")).size(), 1536u);

    OutputFile replay;  // a file made again from its recording is left to the system
    ASSERT_TRUE(replay.create(dir.file("replay.psd")));
    ASSERT_TRUE(replay.append(std::string(512, 'a')));
    replay.close();
    EXPECT_EQ(replay.syncs(), 0);
}

TEST(FileBehaviour, AGatheredWriteIsItsPartsInOrderOrNothing)
{
    // Parts of several sizes (empty ones among them, more than one writev takes at
    // once), after a first record of 512 bytes; limit: the largest file allowed (0: none).
    const struct {
        const char* name;
        std::vector<std::size_t> parts;
        unsigned long limit;
        bool whole;
    } cases[] = {
        {"one part", {512}, 0, true},
        {"block of pieces", {4096, 0, 512, 8192, 0, 1}, 0, true},
        {"more parts than one call takes", std::vector<std::size_t>(2500, 7), 0, true},
        {"nothing at all", {0, 0}, 0, true},
        {"cut in the second part", {512, 512, 512}, 1400, false},
        {"cut among many parts", std::vector<std::size_t>(3000, 5), 9000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::string> parts;
        std::string expected(512, '#');
        for (std::size_t i = 0; i < c.parts.size(); ++i)
            parts.emplace_back(c.parts[i], static_cast<char>('a' + i % 26));
        for (const std::string& p : parts)
            expected += p;
        const std::vector<std::string_view> views(parts.begin(), parts.end());
        OutputFile f;
        {
            std::optional<kavro::test::FileSizeLimit> limit;
            if (c.limit) {
                limit.emplace(c.limit);
                if (!limit->active())
                    continue;  // no file size limit on this system
            }
            ASSERT_TRUE(f.create(dir.file("a.psd")));
            ASSERT_TRUE(f.append(std::string(512, '#')));
            EXPECT_EQ(f.append(std::span<const std::string_view>(views)), c.whole);
            EXPECT_EQ(f.failed(), !c.whole);
            f.close();
        }
        EXPECT_EQ(readFile(dir.file("a.psd")), c.whole ? expected : std::string(512, '#'));
        EXPECT_EQ(f.size(), static_cast<long long>(c.whole ? expected.size() : 512));
    }
}
