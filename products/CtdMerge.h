#pragma once
// The CTD cast a particle sizer rode with, merged into its frames by time: the
// CTD's pressure, temperature and salinity interpolated linearly in time onto a
// frame's UTC time stamp, and the depth from that pressure at the cast's latitude.
// Outside the CTD's time span (and for a frame without a time stamp) every value
// is NaN: nothing is extrapolated.
#include "products/CnvFile.h"

#include <string>
#include <vector>

namespace kavro {

// Depth in metres of a pressure in dbar at a latitude in degrees: the UNESCO 1983
// formula of Fofonoff and Millard (Tech. Pap. Mar. Sci. 44), for a standard ocean
// of salinity 35 and 0 deg C.  10000 dbar at 30 degrees gives 9712.653 m.
double unescoDepth(double pressureDbar, double latitudeDeg);

struct CtdValues {
    double pressure, temperature, salinity, depth;  // dbar, deg C, 1, m
};

class CtdTrack {
public:
    CtdTrack(CnvCast cast, double latitudeDeg);
    // The values at a time (seconds since 1970 UTC); NaN outside the scans' span.
    CtdValues at(double utc) const;
    // Just the depth (what the binning needs).
    double depthAt(double utc) const;
    bool covers(double utc) const;
    const std::string& path() const { return cast_.path; }
    double latitude() const { return latitude_; }
    std::size_t scans() const { return cast_.size(); }

private:
    // The scan at or before t and the weight of the next one; false outside the span.
    bool locate(double utc, std::size_t& i, double& w) const;
    double value(const std::vector<double>& v, std::size_t i, double w) const;

    CnvCast cast_;
    double latitude_;
};

class FrameTimes;

// A CTD at each frame of one cast, in the float32 the cast's NetCDF file stores: all
// the export needs of it, kept from the cast's binning until its file is written
// (17 bytes a frame, where the CTD's scans take 40 bytes each at several a second).
class CtdFrames {
public:
    struct Values {
        float pressure, temperature, salinity, depth;  // dbar, deg C, 1, m
    };
    // Frame n at times.utcOfRecord(n), for n from 0 to frames - 1.
    CtdFrames(const CtdTrack& ctd, const FrameTimes& times, long long frames);
    // Frame n's values: ctd.at() of its time made float; NaN outside the CTD's span
    // and for a frame past the ones given.
    Values at(long long frame) const;
    // The frame's time is inside the CTD's span.
    bool covers(long long frame) const;
    const std::string& path() const { return path_; }
    double latitude() const { return latitude_; }

private:
    std::vector<Values> values_;
    std::vector<bool> covered_;
    std::string path_;
    double latitude_;
};

}  // namespace kavro
