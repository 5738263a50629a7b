#pragma once
// The report of a cruise as a PDF with real text: a page for the cruise (the D50,
// total volume and Junge slope profiles of every cast against depth on shared
// axes, each cast's mean size spectrum, a table of the casts and their positions)
// and a page per cast (its picture along the frames and its profile).  Every
// cast's size image uses one colour scale, stated on the pages.  The interface is
// plain C++ so that kavro-cli draws without including a Qt header.
#include "core/CastSummary.h"
#include "core/ProfileDataset.h"

#include <optional>
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

// What every page of a report shares: the colour scale of the size images (the
// largest column mean of all casts and three decades under it) and the depth the
// profiles reach.
struct CruiseReportScale {
    double volumeLo = 1e-3, volumeHi = 1.0;
    double maxDepth = 0.0;
};
CruiseReportScale cruiseReportScale(const std::vector<CruiseReportCast>& casts, double binSize);

// The pages of a report drawn apart, each a PDF of its own, so that several threads
// can draw at once (QPdfWriter on its own buffer; no QPixmap, no widget).  The
// offscreen GUI must be up first (ensureOffscreenGui, on the main thread).
// Nothing when drawing failed.
// Page 1: the cruise page.
std::optional<std::string> drawCruisePage(const std::vector<CruiseReportCast>& casts, const CruiseReportInfo& info,
                                          const CruiseReportScale& scale, int pageCount);
// Page `page` of pageCount: one cast's page.
std::optional<std::string> drawCastPage(const CruiseReportCast& cast, const CruiseReportInfo& info,
                                        const CruiseReportScale& scale, int page, int pageCount);
// The pages, in order, joined into the report at path (whole or not at all).
// False when a page is missing or the file could not be written.
bool writeCruiseReport(const std::vector<std::optional<std::string>>& pages, const std::string& path);

}  // namespace kavro
