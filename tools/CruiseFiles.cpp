#include "tools/CruiseFiles.h"

#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"
#include "resources/CruiseTexts.h"
#ifdef KAVRO_WITH_PLOT
#include "plots/cast/QuickLook.h"
#include "resources/CastPlotTexts.h"
#endif

#include <algorithm>
#include <exception>

namespace kavro::cli {
namespace {

constexpr std::size_t kProfilesPiece = 0, kSummaryPiece = 1, kFirstPage = 2;

std::string problem(const std::string& what)
{
    return "kavro-cli: " + what;
}

}  // namespace

std::vector<CruiseStep> cruiseSteps(std::size_t casts, std::size_t pieces)
{
    // Two casts left for the end are enough to cover the joining of the report.
    constexpr std::size_t kCastsLast = 2;
    const std::size_t last = std::min(casts, kCastsLast);
    const std::size_t spread = casts - last;
    std::vector<CruiseStep> steps;
    std::size_t cast = 0, piece = 0;
    while (cast < spread || piece < pieces) {
        // A piece when the pieces are not ahead of the casts (midpoints compared).
        const bool takePiece = piece < pieces && (cast == spread || (2 * piece + 1) * spread <= (2 * cast + 1) * pieces);
        steps.push_back(takePiece ? CruiseStep{false, piece++} : CruiseStep{true, cast++});
    }
    while (cast < casts)
        steps.push_back({true, cast++});
    return steps;
}

CruiseFiles::CruiseFiles(const CruiseFilesSetup& setup, const ExportContext& context,
                         std::vector<const CastOutcome*> casts)
    : setup_(setup), context_(context), casts_(std::move(casts))
{
    for (const CastOutcome* c : casts_)
        profiles_.push_back(c->cast);
    // Casts binned on the CTD make the cruise's axis depth in metres; the summary
    // and the report name it as the profile file does.
    vertical_ = cruiseVertical(profiles_, context_.channels[kDepthChannel].units);
    std::size_t pieces = kFirstPage;
#ifdef KAVRO_WITH_PLOT
    for (const CastOutcome* c : casts_)
        drawn_.push_back({&c->cast, &c->overview, &c->profile});
    info_.depthUnits = vertical_.units;
    info_.pressureAxis = vertical_.pressure;
    info_.binSize = setup_.binSize;
    info_.title = text::kProfileTitle;
    info_.attributes = setup_.attributes;
    info_.created = setup_.created;
    for (const auto& [name, value] : setup_.attributes)
        if (name == "title")
            info_.title = value;
    // Every page on one colour scale: the cruise page and the casts' pages.
    scale_ = cruiseReportScale(drawn_, setup_.binSize);
    pages_.resize(drawn_.size() + 1);
    pagesLeft_ = pages_.size();
    pieces += pages_.size();
    ensureOffscreenGui();
#endif
    problems_.resize(pieces);
}

void CruiseFiles::make(std::size_t piece)
{
    if (piece == kProfilesPiece) {
        ProfileDatasetOptions options;
        options.binSize = setup_.binSize;
        options.part = setup_.part;
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
    if (piece == kSummaryPiece) {
        const std::string summary = joinPath(setup_.outDir, text::kCruiseSummaryName);
        std::string error;
        if (!replaceFileAtomically(summary, cruiseSummaryCsv(profiles_, vertical_), &error))
            problems_[piece] = problem(error);  // the reason names the file
        return;
    }
#ifdef KAVRO_WITH_PLOT
    const std::size_t page = piece - kFirstPage;
    const int pageCount = static_cast<int>(pages_.size());
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
    if (!writeCruiseReport(pages_, info_, report))
        reportProblem_ = problem(report + text::kCliPlotWriteFailed);
    pages_.clear();
    pages_.shrink_to_fit();
#endif
}

std::vector<std::string> CruiseFiles::problems() const
{
    std::vector<std::string> all;
    for (const auto& p : problems_)
        if (p)
            all.push_back(*p);
    if (reportProblem_)
        all.push_back(*reportProblem_);
    return all;
}

}  // namespace kavro::cli
