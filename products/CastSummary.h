#pragma once
// A whole .psd cast boiled down to what a quick-look picture can show: its frames
// binned into a given number of columns (one per pixel of the picture, or fewer
// when the cast has fewer frames), each column holding the mean distribution of
// its usable frames and the range and mean of the per-frame quantities.  The file
// is read once, front to back, in large blocks, so a cast of a million frames
// costs a second and a few megabytes whatever its length.
#include "core/Constants.h"
#include "core/FrameStatistics.h"
#include "core/FrameTimes.h"
#include "core/OutputRecord.h"

#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace kavro {

// What runs across the picture (or down, for a vertical profile).
enum class CastAxis {
    Frame,     // the frame number
    Time,      // UTC of each frame, seconds since 1970
    Pressure,  // the pressure channel, for a profile with depth down
    Depth,     // a depth in m given for each frame (a CTD's), for a profile with depth down
};

// Pressure and Depth run down a profile: the picture shows the descent.
inline bool profileAxis(CastAxis axis)
{
    return axis == CastAxis::Pressure || axis == CastAxis::Depth;
}

// Minimum, maximum and mean of a quantity over the frames of a column; NaN
// everywhere when none of them had the quantity.
struct CastRange {
    static constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
    float min = kNone;
    float max = kNone;
    float mean = kNone;
    bool has() const { return mean == mean; }
};

// One column of the picture.
struct CastColumn {
    int firstFrame = -1;  // frames that fell into the column (-1: none)
    int lastFrame = -1;
    int frames = 0;
    int usable = 0;       // frames with a distribution that is not flagged bad
    // Mean volume concentration per class over the usable frames, ul/l; NaN when
    // no frame was usable (a gap, never a zero).
    std::array<float, kClasses> volume{};
    CastRange meanDiameter;  // um
    CastRange d50;           // um
    CastRange totalVolume;   // ul/l
    CastRange transmission;  // over the frames of the column with usable light
    CastRange pressure;      // engineering units of the pressure channel
    bool empty() const { return frames == 0; }
};

// Sum, count and extremes of one quantity over a column's frames.
struct CastAccumulator {
    double sum = 0.0;
    long long count = 0;
    float min = 0.0f;
    float max = 0.0f;
    void add(float v)
    {
        if (!std::isfinite(v))
            return;
        if (count == 0 || v < min)
            min = v;
        if (count == 0 || v > max)
            max = v;
        sum += v;
        ++count;
    }
    void merge(const CastAccumulator& other)
    {
        if (other.count == 0)
            return;
        if (count == 0 || other.min < min)
            min = other.min;
        if (count == 0 || other.max > max)
            max = other.max;
        sum += other.sum;
        count += other.count;
    }
    CastRange range() const
    {
        CastRange r;
        if (count > 0) {
            r.min = min;
            r.max = max;
            r.mean = static_cast<float>(sum / static_cast<double>(count));
        }
        return r;
    }
};

// What one frame contributes to the picture.
struct CastLook {
    bool hasOptics = false;  // usable light: the transmission is a measurement, not a placeholder
    bool hasDistribution = false;
    bool flagged = false;
    float meanDiameter = CastRange::kNone;
    float d50 = CastRange::kNone;
    float totalVolume = CastRange::kNone;
};

// The frames of one column as they are added, and the column they make.
struct CastColumnAccumulator {
    int firstFrame = -1;
    int lastFrame = -1;
    int frames = 0;
    int usable = 0;
    std::array<double, kClasses> volume{};
    CastAccumulator meanDiameter, d50, totalVolume, transmission, pressure;

    // Frame f with its record and look; true when it counts as usable.
    bool add(long long f, const OutputRecord& r, const CastLook& look);
    // The frames of another column join this one (two neighbours become one).
    void merge(const CastColumnAccumulator& other);
    CastColumn finish() const;
};

// Where a .psd's frames are and what its header says.
struct CastSource {
    std::string path;
    int headerRecords = kPsdHeaderRecords;
    PsdHeader header;
    std::array<double, kClasses> diameters{};  // um; 0 when the file has no diameter record
    // The pressure channel's label and units from the channel calibration, and
    // whether that calibration gives a pressure at all (a multiplier of 0 does not).
    std::string pressureLabel;
    std::string pressureUnits;
    bool pressureCalibrated = true;
    // The time stamps of a live recording (<name>.time.csv); empty when there are none.
    FrameTimes frameTimes;

    // The class edges the statistics and the picture use: from the stored class
    // diameters (the model's size range when there are none) for a file with a
    // header, none (size classes by number) for one without.
    bool hasClassEdges() const { return header.magicOK; }
    ClassEdges classEdges() const { return classEdgesFor(diameters, header.model); }
};

// Flags that make a frame with a distribution unfit to show: saturated rings
// distort the inversion.  Turbid or very clear water is shown (the transmission
// panel tells it); frames without usable light or particles have no distribution.
inline constexpr unsigned kCastBadFlags = kFlagSaturatedRings;

struct CastSummary {
    CastSource source;
    CastAxis axis = CastAxis::Frame;
    // The axis values at the left edge of the first column and the right edge of
    // the last (frames: 0 and the frame count).
    double axisFirst = 0.0;
    double axisLast = 0.0;
    long long frames = 0;
    long long shownFrames = 0;       // frames that have a place on the axis (a profile: the descent's)
    long long usableFrames = 0;
    long long noLightFrames = 0;     // frames without usable light or without particles
    long long flaggedFrames = 0;     // frames with a distribution flagged bad (kCastBadFlags)
    // Smallest and largest positive class volume over the usable frames (0 when none).
    float volumeMin = 0.0f;
    float volumeMax = 0.0f;
    std::vector<CastColumn> columns;
    // A profile: the deepest frame, the last of the descent that it shows.
    long long lastProfileFrame = -1;

    bool hasPressure() const { return source.pressureCalibrated && pressureSeen; }
    bool pressureSeen = false;  // some frame held a pressure other than 0
    // The column that holds frame n (the nearest one for a frame in no column); -1 when there are none.
    int columnOfFrame(long long n) const;
};

// Reads the frames of source and bins them into `columns` columns along axis
// (for the frame axis never more columns than frames).  Along Depth, frame n lies at
// frameDepths[n]; a frame past its end or at NaN (outside the CTD's span) has no place.  Along pressure, a column
// without frames between two with frames repeats the one above it: each frame's
// row reaches down to the next frame's, so the profile has no blank stripes.  Time needs the frame
// times; a source without them falls back to frames.  Throws std::runtime_error
// naming the file when it cannot be read.
CastSummary summariseCast(const CastSource& source, int columns, CastAxis axis,
                          std::span<const double> frameDepths = {});

// The frame's place on an axis: its number, its time, its pressure, its depth; NaN when it has none.
double axisValueOf(const CastSource& source, CastAxis axis, long long frame, const OutputRecord& record,
                   std::span<const double> frameDepths = {});

// What a frame record shows in the picture: whether it has a distribution fit to
// show, its mean diameter, D50 and total volume.
CastLook castLookOf(const OutputRecord& record, const CastSource& source, const ClassEdges& edges);
// Widens [lo, hi] to the positive class volumes of a record (lo 0: none yet).
void widenVolumeRange(const OutputRecord& record, float& lo, float& hi);

class CPDFile;
// What an open .psd file gives the picture: its path, header and class
// diameters, its pressure channel's calibration, and the time stamps beside it
// (<name>.time.csv) when there is such a file.  A time file that is there but
// cannot be read leaves the times empty and says why in timeError.
CastSource castSourceOf(const CPDFile& file, std::string& timeError);

}  // namespace kavro
