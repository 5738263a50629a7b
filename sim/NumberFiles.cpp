#include "sim/NumberFiles.h"

#include "core/CInvPars.h"
#include "platform/FileUtil.h"
#include "resources/CliTexts.h"

#include <cerrno>

namespace kavro::demo {

void writeWholeFile(const std::string& path, std::string_view content)
{
    std::string error;
    if (!replaceFileAtomically(path, content, &error))
        throw DemoError(text::kCannotWrite + error);
}

std::vector<double> readNumbers(const std::string& path, int count)
{
    std::vector<double> values(static_cast<std::size_t>(count), 0.0);
    bool complete = false;
    bool opened = false;
    errno = 0;
    int n = readNumberFile(path, values.data(), count, &complete, &opened);
    if (!opened)
        throw DemoError(text::kCannotOpen + path + ": " + errnoText(errno));
    // The calibration set stops quietly at text; here every number must be there.
    if (n < count && complete)
        throw DemoError(path + ": " + text::kTextAfter + std::to_string(n));
    if (n < count)
        throw DemoError(path + ": " + text::kTooFewNumbers + std::to_string(count) + text::kNumbersNeeded);
    return values;
}

}  // namespace kavro::demo
