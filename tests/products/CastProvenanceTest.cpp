// What an export records about where a cast came from: digest paths that check from
// the export's folder, and whether a calibration folder is the cast's own.
#include "core/CastReader.h"
#include "products/CastProvenance.h"
#include "tests/core/CoreFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

TEST(CastProvenance, DigestPathsCheckFromTheExportsFolder)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("archive/cal"));
    std::filesystem::create_directories(dir.file("elsewhere"));
    struct Row {
        std::string path, folder, expected;
    } rows[] = {
        {dir.file("archive/cal/H32_a.asc"), dir.file("archive"), "cal/H32_a.asc"},
        {dir.file("archive/x/../cal/H32_a.asc"), dir.file("archive"), "cal/H32_a.asc"},
        {dir.file("archive/H32_a.asc"), dir.file("archive"), "H32_a.asc"},
        // Outside the folder: absolute, not a climb of ../ that breaks when the file moves.
        {dir.file("elsewhere/H32_a.asc"), dir.file("archive"), dir.file("elsewhere/H32_a.asc")},
        {dir.file("archive/../elsewhere/./H32_a.asc"), dir.file("archive/cal"), dir.file("elsewhere/H32_a.asc")},
    };
    for (const Row& r : rows)
        EXPECT_EQ(pathRelativeTo(r.path, r.folder), r.expected) << r.path << " from " << r.folder;
}

TEST(CastProvenance, ACalibrationFolderIsTheCastsOwnWhenItsDiametersAreTheHeaders)
{
    CalibrationFolder cal;  // diameters 1 .. 32
    TempDir dir;
    CFrameResult frame;
    for (int k = 0; k < kClasses; ++k)
        frame.setDiameter(k, k + 1.0);
    const std::string psd = dir.file("c.psd");
    writeFile(psd, bytesOf(encodePsdHeader(0, 2.0, cal.path("zsc.asc"))) + bytesOf(encodeDiameterRecord(frame)) +
                       bytesOf(encodeOutputRecord(buildOutputRecord(frame))));
    const CastReader cast(psd);
    ASSERT_TRUE(cast.storesDiameters());
    struct Row {
        const char* diameters;  // the folder's Dias32_a.asc; nullptr: no such file
        const char* reason;     // how the first reason starts; "" when the folder matches
    } rows[] = {
        {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32", ""},
        {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32.5",
         "Dias32_a.asc gives class 32 a diameter of 32.5 um, the .psd header 32 um"},
        {"1 2 3", "no readable class-diameter file "},
        {nullptr, "no readable class-diameter file "},
    };
    for (const Row& r : rows) {
        CalibrationFolder other;
        if (r.diameters)
            other.write("Dias32_a.asc", r.diameters);
        else
            std::filesystem::remove(other.path("Dias32_a.asc"));
        const std::vector<std::string> reasons = calibrationMismatches(cast, other.dir.path());
        if (!*r.reason) {
            EXPECT_TRUE(reasons.empty()) << reasons.front();
            continue;
        }
        ASSERT_EQ(reasons.size(), 1u) << (r.diameters ? r.diameters : "no file");
        EXPECT_NE(reasons[0].find(r.reason), std::string::npos) << reasons[0];
    }
}
