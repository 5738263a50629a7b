#pragma once
// The cruise's own files of kavro-cli cruise, made from the casts read back: the
// profile file, the summary table and the report.  They are made in pieces (each
// page of the report, the profile file, the summary) that may run side by side on
// any threads, in any order; the report is joined by whichever thread draws its
// last page, while the others go on with the pieces after the pages.
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

struct CruiseFilesSetup {
    std::string outDir;
    double binSize = 1.0;
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
    // Makes one piece (the pages come first).  A file that cannot be written is kept as a problem, not thrown.
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
    std::string depthUnits_;
    std::vector<std::optional<std::string>> problems_;  // per piece: the pages, the profile file, the summary
    std::vector<std::optional<std::string>> pages_;
    std::optional<std::string> reportProblem_;
    std::size_t pageCount_ = 0;  // none in a build without pictures
    std::atomic<std::size_t> pagesLeft_{0};
#ifdef KAVRO_WITH_PLOT
    std::vector<CruiseReportCast> drawn_;
    CruiseReportInfo info_;
    CruiseReportScale scale_;
#endif
};

}  // namespace kavro::cli
