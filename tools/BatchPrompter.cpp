#include "tools/BatchPrompter.h"

#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"

#include <cerrno>
#include <sys/stat.h>

namespace kavro::cli {

std::optional<std::string> BatchPrompter::answerFor(const FileDialogRequest& request)
{
    auto it = answers_.find(request.title);
    if (it == answers_.end()) {
        problems_.push_back(text::kCliUnansweredDialog + request.title + "\"");
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> BatchPrompter::openFile(const FileDialogRequest& request)
{
    auto path = answerFor(request);
    struct stat st {};
    if (path && request.mustExist && ::stat(path->c_str(), &st) != 0) {
        problems_.push_back(*path + ": " + errnoText(errno));
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> BatchPrompter::saveFile(const FileDialogRequest& request)
{
    return answerFor(request);
}

void BatchPrompter::message(const std::string& text, MessageIcon icon)
{
    (void)icon;
    problems_.push_back(text);
}

bool BatchPrompter::askYesNo(const std::string& text)
{
    questions_.push_back(text);
    return false;
}

}  // namespace kavro::cli
