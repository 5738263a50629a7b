#include "tools/CruiseFiles.h"

#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"
#include "resources/CruiseTexts.h"
#ifdef KAVRO_WITH_PLOT
#include "plots/cast/QuickLook.h"
#include "resources/CastPlotTexts.h"
#endif

#include <exception>

namespace kavro::cli {
namespace {

std::string problem(const std::string& what)
{
    return "kavro-cli: " + what;
}

}  // namespace

CruiseFiles::CruiseFiles(const CruiseFilesSetup& setup, const ExportContext& context,
                         std::vector<const CastOutcome*> casts)
    : setup_(setup), context_(context), casts_(std::move(casts))
{
    for (const CastOutcome* c : casts_)
        profiles_.push_back(c->cast);
    depthUnits_ = context_.channels[kDepthChannel].units;
#ifdef KAVRO_WITH_PLOT
    for (const CastOutcome* c : casts_)
        drawn_.push_back({&c->cast, &c->overview, &c->profile});
    info_.depthUnits = depthUnits_;
    info_.binSize = setup_.binSize;
    info_.title = text::kProfileTitle;
    for (const auto& [name, value] : setup_.attributes)
        if (name == "title")
            info_.title = value;
    // Every page on one colour scale: the cruise page and the casts' pages.
    scale_ = cruiseReportScale(drawn_, setup_.binSize);
    pageCount_ = drawn_.size() + 1;
    pages_.resize(pageCount_);
    pagesLeft_ = pageCount_;
    ensureOffscreenGui();
#endif
    // The pages, then the profile file and the summary: these are left for the
    // other threads while the report is joined.
    problems_.resize(pageCount_ + 2);
}

void CruiseFiles::make(std::size_t piece)
{
    if (piece == pageCount_) {
        ProfileDatasetOptions options;
        options.binSize = setup_.binSize;
        options.context = context_;
        options.attributes = setup_.attributes;
        options.created = setup_.created;
        try {
            writeProfileDataset(profiles_, joinPath(setup_.outDir, text::kCruiseProfilesName), options);
        } catch (const CastError& e) {
            problems_[piece] = problem(e.what());
        }
        return;
    }
    if (piece == pageCount_ + 1) {
        const std::string summary = joinPath(setup_.outDir, text::kCruiseSummaryName);
        std::string error;
        if (!replaceFileAtomically(summary, cruiseSummaryCsv(profiles_, depthUnits_), &error))
            problems_[piece] = problem(error);  // the reason names the file
        return;
    }
#ifdef KAVRO_WITH_PLOT
    const std::size_t page = piece;
    const int pageCount = static_cast<int>(pageCount_);
    try {
        pages_[page] = page == 0 ? drawCruisePage(drawn_, info_, scale_, pageCount)
                                 : drawCastPage(drawn_[page - 1], info_, scale_, static_cast<int>(page) + 1, pageCount);
    } catch (const std::exception& e) {
        problems_[piece] = problem(e.what());  // the page is missing: the report is not written
    }
    // The last page drawn joins the report, while the other threads go on.
    if (--pagesLeft_ == 0)
        joinReport();
#endif
}

void CruiseFiles::joinReport()
{
#ifdef KAVRO_WITH_PLOT
    const std::string report = joinPath(setup_.outDir, text::kCruiseReportName);
    if (!writeCruiseReport(pages_, report))
        reportProblem_ = problem(report + text::kCliPlotWriteFailed);
    pages_.clear();
    pages_.shrink_to_fit();
#endif
}

std::vector<std::string> CruiseFiles::problems() const
{
    // In the order of the files: the profile file, the summary, then the report.
    std::vector<std::string> all;
    for (std::size_t i = 0; i < problems_.size(); ++i)
        if (const auto& p = problems_[(i + pageCount_) % problems_.size()])
            all.push_back(*p);
    if (reportProblem_)
        all.push_back(*reportProblem_);
    return all;
}

}  // namespace kavro::cli
