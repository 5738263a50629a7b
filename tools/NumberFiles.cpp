#include "tools/NumberFiles.h"

#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/ToolTexts.h"
#include "tools/CliCommon.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace kavro::demo {

void writeWholeFile(const std::string& path, std::string_view content)
{
    std::string error;
    if (!replaceFileAtomically(path, content, &error))
        throw cli::Failure(cli::kExitBadInput, text::kCannotWrite + error);
}

std::vector<double> readNumbers(const std::string& path, int count)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "r"), &std::fclose);
    if (!file)
        throw cli::Failure(cli::kExitBadInput, text::kCannotOpen + path + ": " + errnoText(errno));
    NumberReader reader(file.get());
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(count));
    while (static_cast<int>(values.size()) < count) {
        std::optional<double> v = reader.next();
        if (!v && reader.stoppedAtText())
            throw cli::Failure(cli::kExitBadInput, path + ": " + text::kTextAfter + std::to_string(values.size()));
        if (!v)
            throw cli::Failure(cli::kExitBadInput,
                               path + ": " + text::kTooFewNumbers + std::to_string(count) + text::kNumbersNeeded);
        values.push_back(*v);
    }
    return values;
}

}  // namespace kavro::demo
