#pragma once
// The report of a cruise as a PDF with real text: a page for the cruise (the D50,
// total volume and Junge slope profiles of every cast against depth on shared
// axes, each cast's mean size spectrum, a table of the casts and their positions)
// and a page per cast (its picture along the frames and its profile).  Every
// cast's size image uses one colour scale, stated on the pages.  The interface is
// plain C++ so that kavro-cli draws without including a Qt header.
#include "products/CastSummary.h"
#include "products/ProfileDataset.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kavro {

struct CruiseReportCast {
    const ProfileCast* cast = nullptr;
    const CastSummary* overview = nullptr;  // along the frames or times
    const CastSummary* profile = nullptr;   // down the cast: against its pressure or its CTD's depth
};

struct CruiseReportInfo {
    std::string title;        // the cruise's title attribute
    // The profiles' vertical axis as the profile file has it: a depth (m when any cast
    // was binned on a depth in metres), or the pressure channel's pressure.
    std::string depthUnits;
    bool pressureAxis = false;
    double binSize = 1.0;
    // The cruise's global attributes: the cruise page names its creator, institution,
    // project and licence from them.
    std::vector<std::pair<std::string, std::string>> attributes;
    double created = 0.0;  // the report's creation time (seconds since 1970, UTC)
};

// What every page of a report shares: the colour scale of the size images (the
// largest column mean of all casts and three decades under it) and the depth the
// profiles reach.
struct CruiseReportScale {
    double volumeLo = 1e-3, volumeHi = 1.0;
    double maxDepth = 0.0;
};
CruiseReportScale cruiseReportScale(const std::vector<CruiseReportCast>& casts, double binSize);

// One page of a report, drawn and kept until the report is written.
class CruiseReportPage;
using DrawnReportPage = std::shared_ptr<const CruiseReportPage>;

// The pages of a report are drawn apart, so that several threads can draw at once
// (each into a recording of its own; no QPixmap, no widget), and written in order
// into one PDF.  The offscreen GUI must be up first (ensureOffscreenGui, on the main
// thread).  Null when drawing failed.
// Page 1: the cruise page.
DrawnReportPage drawCruisePage(const std::vector<CruiseReportCast>& casts, const CruiseReportInfo& info,
                               const CruiseReportScale& scale, int pageCount);
// Page `page` of pageCount: one cast's page.
DrawnReportPage drawCastPage(const CruiseReportCast& cast, const CruiseReportInfo& info,
                             const CruiseReportScale& scale, int page, int pageCount);
// The pages, in order, as the report at path (whole or not at all).  The same pages
// and info give the same bytes.  False when a page is missing or the file could not
// be written.
bool writeCruiseReport(const std::vector<DrawnReportPage>& pages, const CruiseReportInfo& info,
                       const std::string& path);

}  // namespace kavro
