#include "app/UserGuide.h"

#include <filesystem>
#include <system_error>

namespace kavro {

std::string findUserGuide(const std::string& executableDirectory, const std::string& sourceDocs)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path candidates[] = {
        fs::path(executableDirectory) / kInstalledGuidePosix,
        fs::path(executableDirectory) / kInstalledGuideWindows,
        sourceDocs.empty() ? fs::path() : fs::path(sourceDocs) / "desktop.md",
    };
    for (const fs::path& p : candidates)
        if (!p.empty() && fs::is_regular_file(p, error))
            return fs::weakly_canonical(p, error).string();
    return std::string();
}

std::string sourceDocsFolder()
{
#ifdef KAVRO_SOURCE_DOCS
    return KAVRO_SOURCE_DOCS;
#else
    return std::string();
#endif
}

}  // namespace kavro
