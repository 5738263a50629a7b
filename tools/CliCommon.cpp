#include "tools/CliCommon.h"

#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "platform/File.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/System.h"
#include "resources/CliProcessTexts.h"
#include "resources/CliTexts.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kavro::cli {

Environment loadEnvironment(const std::string& profileOption)
{
    Environment env;
    env.profile = std::make_unique<Profile>(profileOption.empty() ? profileLocation(kProgramName) : profileOption);
    env.settings.load(*env.profile, executableDirectory());
    return env;
}

std::string missingFileProblem(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::exists(pathFromUtf8(path), error))
        return std::string();
    return path + ": " + (error ? error : std::make_error_code(std::errc::no_such_file_or_directory)).message();
}

void requireReadableFile(const std::string& path)
{
    ReadOnlyFile file;
    if (!file.open(path))
        throw Failure(kExitBadInput, path + ": " + file.error());
}

void forEachInput(std::size_t count, const std::function<void(std::size_t)>& job)
{
    int status = kExitOk;
    for (std::size_t i = 0; i < count; ++i) {
        try {
            job(i);
        } catch (const Failure& f) {
            std::fprintf(stderr, "kavro-cli: %s\n", f.what());
            status = std::max(status, f.status);
        } catch (const CastError& e) {
            std::fprintf(stderr, "kavro-cli: %s\n", e.what());
            status = std::max(status, kExitBadInput);
        }
    }
    // What went to standard output counts as written only once it is out.
    try {
        requireStdoutWritten();
    } catch (const Failure& f) {
        std::fprintf(stderr, "kavro-cli: %s\n", f.what());
        status = std::max(status, f.status);
    }
    if (status != kExitOk)
        throw Failure(status, "");
}

void createFolderFor(const std::string& output)
{
    const std::string folder = directoryPart(output);
    std::error_code ec;
    if (!folder.empty())
        std::filesystem::create_directories(pathFromUtf8(folder), ec);  // a failure is told by the write that follows
}

bool upToDate(const std::string& output, const std::vector<std::string>& inputs)
{
    const std::optional<FileStamp> out = fileStamp(output);
    if (!out)
        return false;
    for (const std::string& input : inputs) {
        const std::optional<FileStamp> in = fileStamp(input);
        // Nanosecond times where the file system keeps them; an equal time counts as older.
        if (in && in->modifiedNs >= out->modifiedNs)
            return false;
    }
    return true;
}

void requireStdoutWritten()
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout))
        return;
    const int error = errno != 0 ? errno : EIO;
    throw Failure(kExitBadInput, std::string("stdout: ") + text::kCliWriteFailed + errnoText(error));
}

void requireFileOutput(const std::string& output, const char* what)
{
    if (output == kStandardOutput)
        throw Failure(kExitUsage, std::string(text::kCliNoStandardOutput) + what + text::kCliNoStandardOutputEnd);
}

TextSink::TextSink(const std::string& path) : path_(path == kStandardOutput ? std::string() : path)
{
    if (!path_.empty() && !file_.create(path_))
        throw Failure(kExitBadInput, path_ + ": " + file_.error());
}

void TextSink::add(const std::string& text)
{
    buffer_ += text;
    if (buffer_.size() >= (1u << 20))
        flush();
}

void TextSink::format(const char* fmt, ...)
{
    char small[512];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
        add(std::string(small, static_cast<std::size_t>(n)));
    } else if (n > 0) {
        std::string big(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(big.data(), big.size(), fmt, again);
        big.pop_back();
        add(big);
    }
    va_end(again);
}

void TextSink::flush()
{
    if (path_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size() || std::fflush(stdout) != 0)
            throw Failure(kExitBadInput, std::string("stdout: ") + text::kCliWriteFailed + errnoText(errno));
    } else if (!file_.append(buffer_)) {
        throw Failure(kExitBadInput, path_ + ": " + text::kCliWriteFailed + file_.error());
    }
    buffer_.clear();
}

void TextSink::close()
{
    flush();
    if (path_.empty())
        return;
    file_.close();
    if (file_.failed())
        throw Failure(kExitBadInput, path_ + ": " + text::kCliWriteFailed + file_.error());
}

}  // namespace kavro::cli
