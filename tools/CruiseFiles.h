#pragma once
// The cruise's own files of kavro-cli cruise, made from the casts read back: the
// profile file, the summary table and the report.  They are made in pieces (the
// profile file, the summary, each page of the report) that may run side by side
// on any threads, in any order; the report is joined by whichever thread draws its
// last page.
#include "tools/CruiseJob.h"
#ifdef KAVRO_WITH_PLOT
#include "plots/cast/CruiseReport.h"
#endif

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavro::cli {

// One step of a cruise once its casts are read back: a cast's NetCDF file (cast,
// index among the casts) or a piece of the cruise's files (index of the piece).
struct CruiseStep {
    bool cast = false;
    std::size_t index = 0;
    bool operator==(const CruiseStep&) const = default;
};
// The order the steps are taken in: the casts spread evenly among the pieces, so
// that the NetCDF library (one file at a time) is mostly busy with one thread while
// the others draw, and the last casts after the last piece, so that the report is
// joined while those are still written.  Every cast and piece once, each in order.
std::vector<CruiseStep> cruiseSteps(std::size_t casts, std::size_t pieces);

struct CruiseFilesSetup {
    std::string outDir;
    double binSize = 1.0;
    ProfilePart part = ProfilePart::Descent;
    std::vector<std::pair<std::string, std::string>> attributes;
    double created = 0.0;  // the profile file's date_created
};

class CruiseFiles {
public:
    // casts: the casts read back, in station order (they must outlive this).
    // With pictures this brings up the offscreen GUI: construct on the main thread.
    CruiseFiles(const CruiseFilesSetup& setup, const ExportContext& context, std::vector<const CastOutcome*> casts);
    CruiseFiles(const CruiseFiles&) = delete;
    CruiseFiles& operator=(const CruiseFiles&) = delete;

    std::size_t pieces() const { return problems_.size(); }
    // Makes one piece.  A file that cannot be written is kept as a problem, not thrown.
    void make(std::size_t piece);
    // The problems, in the order of the files, one line each; empty when every file was written.
    std::vector<std::string> problems() const;
    std::size_t castCount() const { return casts_.size(); }

private:
    void joinReport();

    CruiseFilesSetup setup_;
    const ExportContext& context_;
    std::vector<const CastOutcome*> casts_;
    std::vector<ProfileCast> profiles_;
    CruiseVertical vertical_;
    std::vector<std::optional<std::string>> problems_;  // per piece: the profile file, the summary, the pages
#ifdef KAVRO_WITH_PLOT
    std::vector<DrawnReportPage> pages_;
#endif
    std::optional<std::string> reportProblem_;
    std::atomic<std::size_t> pagesLeft_{0};
#ifdef KAVRO_WITH_PLOT
    std::vector<CruiseReportCast> drawn_;
    CruiseReportInfo info_;
    CruiseReportScale scale_;
#endif
};

}  // namespace kavro::cli
