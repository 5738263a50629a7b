#include "tools/BatchPrompter.h"

#include <filesystem>

#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"

#include <cerrno>

namespace kavro::cli {

std::optional<std::string> BatchPrompter::answerFor(const FileDialogRequest& request)
{
    auto it = answers_.find(request.title);
    if (it == answers_.end()) {
        problems_.push_back(text::kCliUnansweredDialog + request.title + "\"");
        return std::nullopt;
    }
    // A file dialog answers with a full path; so does this one, so that the .psd header
    // names the background file exactly as the desktop program would.
    if (it->second.empty())
        return it->second;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(pathFromUtf8(it->second), ec).lexically_normal();
    return ec ? it->second : utf8FromPath(full);
}

std::optional<std::string> BatchPrompter::openFile(const FileDialogRequest& request)
{
    auto path = answerFor(request);
    std::error_code error;
    if (path && request.mustExist && !std::filesystem::exists(pathFromUtf8(*path), error)) {
        problems_.push_back(*path + ": " + (error ? error : std::make_error_code(std::errc::no_such_file_or_directory)).message());
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
