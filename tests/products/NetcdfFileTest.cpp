#include "platform/FileUtil.h"
#include "products/FrameColumnWriter.h"
#include "products/NetcdfFile.h"
#include "tests/support/TestFiles.h"

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <netcdf.h>

using namespace kavro;
using kavro::test::TempDir;

namespace {

std::vector<float> readAll(int nc, const char* name, std::size_t count)
{
    int var = -1;
    std::vector<float> v(count, -7.0f);
    EXPECT_EQ(nc_inq_varid(nc, name, &var), NC_NOERR) << name;
    EXPECT_EQ(nc_get_var_float(nc, var, v.data()), NC_NOERR) << name;
    return v;
}

// The length of the frame dimension of an open file (0 when it has none).
std::size_t frameLength(int nc)
{
    int dim = -1;
    std::size_t length = 0;
    EXPECT_EQ(nc_inq_dimid(nc, "frame", &dim), NC_NOERR);
    nc_inq_dimlen(nc, dim, &length);
    return length;
}

}  // namespace

#if KAVRO_HDF5_CHUNKS
// Chunks compressed by the program read back exactly as the same values written
// through the library: whole chunks, a short last one, NaN and signed zeros; in a
// file named in the ways a user names one (the library may pass the name on to HDF5
// written otherwise, as on Windows with backslashes, and takes it in the system's
// code page there).
TEST(NetcdfFile, PackedChunksReadBackAsTheLibraryWritesThem)
{
    constexpr std::size_t kChunkRows = 8, kWidth = 3, kRows = 2 * kChunkRows + 5;
    std::vector<float> values(kRows * kWidth);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = std::ldexp(static_cast<float>(i % 7) - 3.0f, static_cast<int>(i % 11) - 5);
    values[4] = std::numeric_limits<float>::quiet_NaN();
    values[5] = -0.0f;

    for (const char* name : {"p.nc", "sub/p.nc", "sub/./deeper/../q.nc", "Fahrt ü/Ørsted.nc"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        std::filesystem::create_directories(pathFromUtf8(dir.file("sub/deeper")));
        std::filesystem::create_directories(pathFromUtf8(dir.file("Fahrt ü")));
        const std::string path = dir.file(name);
        {
            NetcdfFile nc;
            nc.create(path);
            const int rows = nc.defineDimension("frame", 0);
            const int cols = nc.defineDimension("column", kWidth);
            const int plain = nc.defineVariable("plain", NetcdfFile::Float, {rows, cols});
            const int packed = nc.defineVariable("packed", NetcdfFile::Float, {rows, cols});
            for (int var : {plain, packed})
                nc.compress(var, {kChunkRows, kWidth}, 1);
            nc.endDefinitions();
            nc.write(plain, {0, 0}, {kRows, kWidth}, values.data());
            for (std::size_t row = 0; row < kRows; row += kChunkRows) {
                const std::size_t n = std::min(kChunkRows, kRows - row);
                nc.writePacked(NetcdfFile::pack(packed, values.data() + row * kWidth, row, n, kChunkRows, kWidth, 1));
            }
            nc.close();
        }
        int nc = -1;
        ASSERT_EQ(nc_open(path.c_str(), NC_NOWRITE, &nc), NC_NOERR);
        EXPECT_EQ(frameLength(nc), kRows);
        int var = -1, shuffle = 0, deflate = 0, level = 0;
        ASSERT_EQ(nc_inq_varid(nc, "packed", &var), NC_NOERR);
        nc_inq_var_deflate(nc, var, &shuffle, &deflate, &level);
        EXPECT_TRUE(shuffle && deflate && level == 1);
        const std::vector<float> plain = readAll(nc, "plain", values.size());
        const std::vector<float> packed = readAll(nc, "packed", values.size());
        nc_close(nc);
        ASSERT_EQ(std::memcmp(plain.data(), values.data(), values.size() * sizeof(float)), 0);
        EXPECT_EQ(std::memcmp(packed.data(), values.data(), values.size() * sizeof(float)), 0);
    }
}
#endif

// The float columns over frames read back the same whichever way this build
// writes them: blocks of frames (the last one short), one value and several per
// frame, NaN and signed zeros.
TEST(FrameColumnWriter, BothPathsStoreTheSameValues)
{
    constexpr std::size_t kChunkRows = 8, kWidth = 3;
    constexpr std::array<double, kWidth> kFactors = {2.0, 0.1, -3.0};
    struct Case {
        const char* name;
        std::size_t rows;
    };
    const std::vector<Case> cases = {{"one short block", 5}, {"whole blocks", 2 * kChunkRows},
                                     {"whole blocks and a short one", 3 * kChunkRows + 1}};
    using Path = FrameColumnWriter::Path;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> narrow(c.rows), wide(c.rows * kWidth);
        for (std::size_t i = 0; i < wide.size(); ++i)
            wide[i] = std::ldexp(static_cast<float>(i % 5) - 2.0f, static_cast<int>(i % 9) - 4);
        for (std::size_t i = 0; i < narrow.size(); ++i)
            narrow[i] = static_cast<float>(i) * 0.25f - 1.0f;
        wide[1] = std::numeric_limits<float>::quiet_NaN();
        narrow[c.rows - 1] = -0.0f;

        TempDir dir;
        const std::string path = dir.file("w.nc");
        {
            NetcdfFile nc;
            nc.create(path);
            const int rows = nc.defineDimension("frame", 0);
            const int cols = nc.defineDimension("column", kWidth);
            std::map<Path, std::pair<int, int>> vars;
            std::map<Path, int> scaledVars;
            for (const auto& [p, name] : {std::pair{Path::Library, "library"}, std::pair{Path::DirectChunks, "direct"}}) {
                const int n = nc.defineVariable(std::string(name) + "_narrow", NetcdfFile::Float, {rows});
                const int w = nc.defineVariable(std::string(name) + "_wide", NetcdfFile::Float, {rows, cols});
                nc.compress(n, {kChunkRows}, 1);
                nc.compress(w, {kChunkRows, kWidth}, 1);
                vars[p] = {n, w};
                scaledVars[p] = nc.defineVariable(std::string(name) + "_scaled", NetcdfFile::Float, {rows, cols});
                nc.compress(scaledVars[p], {kChunkRows, kWidth}, 1);
            }
            nc.endDefinitions();
            for (Path p : {Path::Library, Path::DirectChunks}) {
                FrameColumnWriter writer(nc, kChunkRows, 1, p);
                for (std::size_t row = 0; row < c.rows; row += kChunkRows) {
                    const std::size_t n = std::min(kChunkRows, c.rows - row);
                    FrameColumnWriter::Columns a(1), b(1);
                    a[0] = {vars[p].first, std::vector<float>(narrow.begin() + static_cast<long>(row),
                                                              narrow.begin() + static_cast<long>(row + n))};
                    b[0] = {vars[p].second, std::vector<float>(wide.begin() + static_cast<long>(row * kWidth),
                                                               wide.begin() + static_cast<long>((row + n) * kWidth))};
                    writer.add(row, n, std::move(a), 1);
                    // The wide column, and one made from it by a factor per value of a row.
                    writer.addScaled(row, n, b[0].first, std::move(b[0].second), kWidth,
                                     {{scaledVars[p], {kFactors.begin(), kFactors.end()}}});
                    writer.endBlock();
                }
                writer.finish();
            }
            nc.close();
        }
        int nc = -1;
        ASSERT_EQ(nc_open(path.c_str(), NC_NOWRITE, &nc), NC_NOERR);
        EXPECT_EQ(frameLength(nc), c.rows);
        for (const char* name : {"library", "direct"}) {
            SCOPED_TRACE(name);
            const std::vector<float> n = readAll(nc, (std::string(name) + "_narrow").c_str(), narrow.size());
            const std::vector<float> w = readAll(nc, (std::string(name) + "_wide").c_str(), wide.size());
            EXPECT_EQ(std::memcmp(n.data(), narrow.data(), narrow.size() * sizeof(float)), 0);
            EXPECT_EQ(std::memcmp(w.data(), wide.data(), wide.size() * sizeof(float)), 0);
            std::vector<float> expected(wide.size());
            for (std::size_t i = 0; i < wide.size(); ++i)
                expected[i] = static_cast<float>(wide[i] * kFactors[i % kWidth]);
            const std::vector<float> s = readAll(nc, (std::string(name) + "_scaled").c_str(), wide.size());
            EXPECT_EQ(std::memcmp(s.data(), expected.data(), expected.size() * sizeof(float)), 0);
        }
        nc_close(nc);
    }
}
