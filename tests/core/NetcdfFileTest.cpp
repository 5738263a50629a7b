#include "core/NetcdfFile.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
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

}  // namespace

// Chunks compressed by the program read back exactly as the same values written
// through the library: whole chunks, a short last one, NaN and signed zeros.
TEST(NetcdfFile, PackedChunksReadBackAsTheLibraryWritesThem)
{
    constexpr std::size_t kChunkRows = 8, kWidth = 3, kRows = 2 * kChunkRows + 5;
    std::vector<float> values(kRows * kWidth);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = std::ldexp(static_cast<float>(i % 7) - 3.0f, static_cast<int>(i % 11) - 5);
    values[4] = std::numeric_limits<float>::quiet_NaN();
    values[5] = -0.0f;

    TempDir dir;
    const std::string path = dir.file("p.nc");
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
    int dim = -1;
    std::size_t length = 0;
    ASSERT_EQ(nc_inq_dimid(nc, "frame", &dim), NC_NOERR);
    nc_inq_dimlen(nc, dim, &length);
    EXPECT_EQ(length, kRows);
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
