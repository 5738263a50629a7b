#include "tools/BatchPrompter.h"

#include "resources/CliProcessTexts.h"

namespace kavro::cli {

std::optional<std::string> BatchPrompter::unanswered(const FileDialogRequest& request)
{
    problems_.push_back(text::kCliUnansweredDialog + request.title + "\"");
    return std::nullopt;
}

std::optional<std::string> BatchPrompter::openFile(const FileDialogRequest& request)
{
    return unanswered(request);
}

std::optional<std::string> BatchPrompter::saveFile(const FileDialogRequest& request)
{
    return unanswered(request);
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
