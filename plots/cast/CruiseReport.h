#pragma once
// The report of a cruise as a PDF with real text: a page for the cruise (the D50,
// total volume and Junge slope profiles of every cast against depth on shared
// axes, each cast's mean size spectrum, a table of the casts and their positions)
// and a page per cast (its picture along the frames and its profile).  Every
// cast's size image uses one colour scale, stated on the pages.  The interface is
// plain C++ so that kavro-cli draws without including a Qt header.
#include "core/CastSummary.h"
#include "core/ProfileDataset.h"

#include <string>
#include <vector>

namespace kavro {

struct CruiseReportCast {
    const ProfileCast* cast = nullptr;
    const CastSummary* overview = nullptr;  // along the frames or times
    const CastSummary* profile = nullptr;   // against the pressure
};

struct CruiseReportInfo {
    std::string title;        // the cruise's title attribute
    std::string depthUnits;   // the pressure channel's calibrated units
    double binSize = 1.0;
};

// Writes the report to path.  False when the file could not be written.
bool writeCruiseReport(const std::vector<CruiseReportCast>& casts, const CruiseReportInfo& info,
                       const std::string& path);

}  // namespace kavro
