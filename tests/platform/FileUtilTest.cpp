#include "platform/FileUtil.h"
#include "platform/Sha256.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace fs = std::filesystem;

TEST(FileUtil, ReplacingALinkedFileKeepsTheLink)
{
    TempDir dir;
    fs::create_directory(dir.file("real"));
    writeFile(dir.file("real/zsc.asc"), "old\n");
    if (!makeSymlink(dir.file("real/zsc.asc"), dir.file("link.asc")))
        GTEST_SKIP() << "symbolic links cannot be made here (Windows without the privilege, or wine)";
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(dir.file("link.asc"), "new\n", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.file("link.asc")));
    EXPECT_EQ(readFile(dir.file("real/zsc.asc")), "new\n");
}

TEST(FileUtil, ADeviceOrFolderIsNeverReplaced)
{
    TempDir dir;
    std::string error;
    // Renaming over the null device would replace the device itself for a privileged user.
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/null";
    ASSERT_TRUE(fs::is_character_file(device));
#endif
    EXPECT_FALSE(replaceFileAtomically(device, "x", &error));
    EXPECT_EQ(error, device + ": not a regular file");
#ifndef _WIN32
    EXPECT_TRUE(fs::is_character_file(device));
#endif
    EXPECT_FALSE(replaceFileAtomically(dir.path(), "x", &error));
    EXPECT_EQ(error, dir.path() + ": Is a directory");
}

TEST(FileUtil, SameFileThroughLinksAndDots)
{
    TempDir dir;
    writeFile(dir.file("a.raw"), "a");
    writeFile(dir.file("b.raw"), "b");
    EXPECT_TRUE(sameFile(dir.file("a.raw"), dir.path() + "/./a.raw"));
    if (makeSymlink(dir.file("a.raw"), dir.file("l.raw"))) {  // not on Windows without the privilege
        EXPECT_TRUE(sameFile(dir.file("l.raw"), dir.file("a.raw")));
    }
    EXPECT_FALSE(sameFile(dir.file("a.raw"), dir.file("b.raw")));
    EXPECT_TRUE(sameFile(dir.file("new.asc"), dir.path() + "/x/../new.asc"));  // not there yet
    EXPECT_FALSE(sameFile("", dir.file("a.raw")));
}

TEST(Sha256, KnownDigestsOfBytesAndFiles)
{
    EXPECT_EQ(kavro::sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(kavro::sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(kavro::sha256Hex(two), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    kavro::test::TempDir dir;
    kavro::test::writeFile(dir.file("a"), std::string(1000000, 'a'));
    EXPECT_EQ(kavro::sha256OfFile(dir.file("a")).value_or(""),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_FALSE(kavro::sha256OfFile(dir.file("missing")));
    EXPECT_FALSE(kavro::sha256OfFile(dir.path()));
}

TEST(Sha256, EveryKernelGivesTheSameDigestHoweverTheBytesArrive)
{
    // Bytes that are not all alike, so that a swapped word or a wrong message schedule shows.
    std::string bytes(70000, '\0');
    std::uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    const std::string millionA =
        "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";  // 1,000,000 x 'a'
    for (const auto kernel : {Sha256::Kernel::Portable, Sha256::Kernel::ShaExtensions}) {
        if (!Sha256::available(kernel))
            continue;
        SCOPED_TRACE(kernel == Sha256::Kernel::Portable ? "portable" : "SHA extensions");
        Sha256 a(kernel);
        const std::string chunk(1000, 'a');
        for (int i = 0; i < 1000; ++i)
            a.add(chunk.data(), chunk.size());
        EXPECT_EQ(a.hexDigest(), millionA);
        // Lengths around the block and padding edges, fed whole and in uneven pieces.
        for (const std::size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 128u, 1000u, 70000u}) {
            const std::string_view part(bytes.data(), length);
            Sha256 whole(kernel), portable(Sha256::Kernel::Portable), pieces(kernel);
            whole.add(part.data(), part.size());
            portable.add(part.data(), part.size());
            for (std::size_t at = 0, step = 1; at < length; at += step, step = step * 3 % 97 + 1)
                pieces.add(part.data() + at, std::min(step, length - at));
            const std::string expected = portable.hexDigest();
            EXPECT_EQ(whole.hexDigest(), expected) << length;
            EXPECT_EQ(pieces.hexDigest(), expected) << length;
        }
    }
}

TEST(FileUtil, AListOfFilesNamesTheirFolderOnceWhenTheyShareIt)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{}, ""},
        {{"/d/a.psd", "/d/a.asc", "/d/a.time.csv"}, "a.psd, a.asc, a.time.csv in /d"},
        {{"/d/a.psd", "/e/a.asc"}, "/d/a.psd, /e/a.asc"},
        {{"a.psd", "a.log"}, "a.psd, a.log"},
    };
    for (const auto& [paths, text] : rows)
        EXPECT_EQ(fileListText(paths), text);
}

TEST(FileUtil, ExtensionsInEitherCase)
{
    EXPECT_TRUE(hasExtension("/d/CAST7.PSD", ".psd"));
    EXPECT_TRUE(hasExtension("cast.csv", ".csv"));
    EXPECT_FALSE(hasExtension("cast.psd.nc", ".psd"));
    EXPECT_FALSE(hasExtension("sd", ".psd"));
}
