#include "platform/FileUtil.h"

#include "platform/FileReplacement.h"

#include "resources/PlatformTexts.h"

#include <algorithm>
#include <filesystem>

namespace kavro {
namespace {

// Where the last separator of a path is.  Windows takes a backslash as well as '/'
// (D:\cruise\cast.raw as typed in a console); elsewhere a backslash is part of a name.
std::size_t lastSeparator(std::string_view path)
{
#ifdef _WIN32
    return path.find_last_of("/\\");
#else
    return path.rfind('/');
#endif
}

bool endsWithSeparator(std::string_view path)
{
    return !path.empty() && lastSeparator(path) == path.size() - 1;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    std::error_code ec, ecA, ecB;
    if (std::filesystem::equivalent(pathFromUtf8(a), pathFromUtf8(b), ec))
        return true;
    // A path whose canonical form cannot be made is compared as it is written.
    const auto canonicalA = std::filesystem::weakly_canonical(pathFromUtf8(a), ecA);
    const auto canonicalB = std::filesystem::weakly_canonical(pathFromUtf8(b), ecB);
    return ecA || ecB ? a == b : canonicalA == canonicalB;
}

// The file a path names when its last part is a symbolic link, followed link by
// link as the system would, also to a file that does not exist yet (where
// weakly_canonical would stop at the link itself); the path itself otherwise.
std::string followLinks(const std::string& path)
{
    std::filesystem::path current = pathFromUtf8(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(current, ec))
            break;
        std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return utf8FromPath(current);
}


bool replaceFileAtomically(const std::string& path, std::string_view content, std::string* error)
{
    FileReplacement replacement;
    if (replacement.begin(path) && replacement.write(content) && replacement.commit())
        return true;
    if (error)
        *error = replacement.error().empty() ? path : replacement.error();
    return false;
}

bool hasExtension(std::string_view path, std::string_view extension)
{
    if (path.size() < extension.size())
        return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

std::string directoryPart(std::string_view path)
{
    std::size_t slash = lastSeparator(path);
    if (slash == std::string_view::npos)
        return std::string();
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string fileNamePart(std::string_view path)
{
    std::size_t slash = lastSeparator(path);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string absoluteFilePath(const std::string& path)
{
    if (path.empty())
        return path;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(pathFromUtf8(path), ec).lexically_normal();
    return ec ? path : utf8FromPath(full);
}

std::string fileListText(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return {};
    const std::string folder = directoryPart(paths.front());
    bool oneFolder = !folder.empty();
    for (const std::string& p : paths)
        oneFolder = oneFolder && directoryPart(p) == folder;
    std::string list;
    for (const std::string& p : paths)
        list += (list.empty() ? "" : text::kFileListSeparator) + (oneFolder ? fileNamePart(p) : p);
    return oneFolder ? list + text::kFileListIn + folder : list;
}

std::string joinPath(std::string_view dir, std::string_view name)
{
    if (dir.empty())
        return std::string(name);
    std::string result(dir);
    if (!endsWithSeparator(result))
        result += '/';
    result += name;
    return result;
}

std::string removeExtension(std::string_view path)
{
    std::size_t slash = lastSeparator(path);
    std::size_t dot = path.rfind('.');
    // Only a full stop inside the file name counts: "/data.1/run" has no extension.
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(path);
    if (path.size() - dot - 1 > 3)
        return std::string(path);
    return std::string(path.substr(0, dot));
}

std::string withDefaultExtension(const std::string& path, std::string_view extension)
{
    std::error_code ec;
    if (extension.empty() || fileNamePart(path).find('.') != std::string::npos
        || fileNamePart(path).empty() || std::filesystem::is_directory(pathFromUtf8(path), ec))
        return path;
    return path + "." + std::string(extension);
}

std::string stemBeforeFirstDot(std::string_view fileName)
{
    std::size_t dot = fileName.find('.');
    return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

std::string nativeSeparators(std::string path)
{
#ifdef _WIN32
    for (char& c : path)
        if (c == '/')
            c = '\\';
#endif
    return path;
}

}  // namespace kavro

