#pragma once
// A .psd file read for analysis: the header, the class diameters and the frame
// records in blocks, and each frame turned into the values a scientist works with
// (placeholders replaced by NaN, statistics and quality flags added).  The NetCDF
// and CSV exports, kavro-cli info and the archive summary read casts through this.
#include "core/FrameStatistics.h"
#include "core/OutputRecord.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro {

// "<path>: <problem>".
struct CastError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class CastReader {
public:
    // Opens and checks the header; throws CastError when the file is not a
    // KAVRO400 .psd with at least its header.
    explicit CastReader(const std::string& path);
    ~CastReader();
    CastReader(const CastReader&) = delete;
    CastReader& operator=(const CastReader&) = delete;

    const std::string& path() const { return path_; }
    const PsdHeader& header() const { return header_; }
    int model() const { return header_.model; }
    long long frameCount() const { return frames_; }
    // The class diameters of the header's record 1; the model's class centres when
    // the file holds none (a header of one record, or zeros).
    const ClassValues& diameters() const { return diameters_; }
    // True when the header stores the class diameters of the calibration it was processed with.
    bool storesDiameters() const { return storesDiameters_; }
    // The class edges: derived from the stored diameters (classEdgesFor), the
    // model's nominal edges when the file stores none or unusable ones.
    const ClassEdges& edges() const { return edges_; }
    // No background path in the header: processed without a background scatter file.
    bool backgroundMissing() const { return header_.backgroundPath.empty(); }

    // Reads up to count records from the frame first on; the records read.  Throws on a read error.
    std::size_t read(long long first, std::size_t count, std::vector<OutputRecord>& records) const;

private:
    std::string path_;
    int fd_ = -1;
    PsdHeader header_;
    long long frames_ = 0;
    ClassValues diameters_{};
    ClassEdges edges_{};
    bool storesDiameters_ = false;
    mutable std::vector<unsigned char> bytes_;  // the block last read, kept for the next
};

// One frame ready for analysis.  NaN where the frame has no value: the optics of a
// frame without usable laser light, the statistics of a frame without particles.
struct FrameRow {
    long long frame = 0;
    double utc = 0.0;  // seconds since 1970 UTC; NaN without a time stamp
    std::array<float, kClasses> volume{};
    std::array<float, kRings> vsf{};
    std::array<float, kAux> aux{};
    float totalVolume = 0, mean = 0, stdDev = 0, transmission = 0, beamAttenuation = 0;
    FrameStatistics stats;
    int zeroRings = 0, saturatedRings = 0;
    unsigned flags = 0;
};
FrameRow analyseFrame(const OutputRecord& record, long long frame, const ClassEdges& edges, const ClassValues& diameters,
                      bool backgroundMissing);

// A whole cast in a few numbers (kavro-cli info and summary).
struct CastFigures {
    long long frames = 0;
    long long withDistribution = 0;              // frames with light and particles
    std::array<long long, kQualityFlagCount> byFlag{};  // frames carrying each flag bit
    long long unflagged = 0;
    double medianD50 = 0.0;                      // over frames with a distribution; NaN when none
    double minMean = 0.0, maxMean = 0.0;         // range of the mean diameter; NaN when none
    double meanTotalVolume = 0.0;                // over frames with light; NaN when none
    // From <name>.time.csv beside the file: the first and last time (UTC seconds, NaN
    // without any) and the frames that have one; a time file that cannot be read is
    // told in timesProblem ("<file>: <problem>") and gives none.
    double firstUtc = 0.0, lastUtc = 0.0;
    long long stamped = 0;
    std::string timesProblem;
};
CastFigures castFigures(const CastReader& cast);

}  // namespace kavro
