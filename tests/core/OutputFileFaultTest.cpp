// Result files on a disk that fills up: a real (small) file system, where the
// system may take part of a record before it runs out of room.
#include "platform/OutputFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using namespace kavro;
using namespace kavro::test;

TEST(OutputFileFaults, AFullDiskKeepsWholeRecordsAndTellsWhy)
{
    if (!canMountPrivateTmpfs())
        GTEST_SKIP() << "needs root and mount namespaces for a small tmpfs";
    TempDir dir;
    ChildResult r = runInChild([&] {
        const std::string disk = dir.file("disk");
        if (!mountPrivateTmpfs(disk, 64 * 1024))
            return 90;
        int failures = 0;
        // Records that do not divide the file system's pages, so one is cut by the
        // disk running out of room in its middle.
        for (std::size_t recordSize : {std::size_t{512}, std::size_t{5000}}) {
            const std::string path = disk + "/out" + std::to_string(recordSize);
            OutputFile f;
            if (!f.create(path))
                return 91;
            std::size_t written = 0;
            for (int i = 0; i < 1000 && f.append(std::string(recordSize, static_cast<char>('a' + i % 26))); ++i)
                written += recordSize;
            f.close();
            const std::string content = readFile(path);
            if (written == 0 || content.size() != written) {
                std::fprintf(stderr, "%zu-byte records: %zu bytes on disk, %zu reported written\n", recordSize,
                             content.size(), written);
                ++failures;
            }
            if (f.error() != "No space left on device") {
                std::fprintf(stderr, "%zu-byte records: reason \"%s\"\n", recordSize, f.error().c_str());
                ++failures;
            }
            if (f.append("more")) {
                std::fprintf(stderr, "a failed file took more data\n");
                ++failures;
            }
            std::remove(path.c_str());
        }
        return failures;
    });
    EXPECT_EQ(r.exitCode, 0) << r.output;
}
