#include "tests/support/TestFiles.h"

#include "platform/File.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace kavro::test {

TempDir::TempDir()
{
    // The system's folder as the program writes paths: '/' between folders (Windows
    // gives C:\Users\me\Temp\), no separator at its end.
    std::string temp = utf8FromPath(std::filesystem::temp_directory_path());
    std::replace(temp.begin(), temp.end(), '\\', '/');
    while (temp.size() > 1 && temp.back() == '/')
        temp.pop_back();
    path_ = makeUniqueFolder(temp, "kavro-test-");
    if (path_.empty())
        throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(pathFromUtf8(path_), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(pathFromUtf8(path_), ec);
}

std::string TempDir::file(const std::string& name) const
{
    return path_ + "/" + name;
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool fileExists(const std::string& path)
{
    return std::filesystem::exists(pathFromUtf8(path));
}

bool deletionIsToldWhileOpen(const TempDir& dir)
{
#ifdef _WIN32
    writeFile(dir.file("probe"), "p");
    ReadOnlyFile probe(dir.file("probe"));
    std::filesystem::remove(pathFromUtf8(dir.file("probe")));
    return probe.deleted();
#else
    (void)dir;
    return true;
#endif
}

bool makeSymlink(const std::string& target, const std::string& link)
{
#ifdef _WIN32
    std::error_code error;
    std::filesystem::create_symlink(pathFromUtf8(target), pathFromUtf8(link), error);
    return !error;
#else
    std::filesystem::create_symlink(pathFromUtf8(target), pathFromUtf8(link));
    return true;
#endif
}

#ifdef _WIN32
// Windows has no such limit: the tests that need one are skipped there.
bool FileSizeLimit::available()
{
    return false;
}

FileSizeLimit::FileSizeLimit(unsigned long) {}
FileSizeLimit::~FileSizeLimit() = default;
#else
bool FileSizeLimit::available()
{
    return true;
}

FileSizeLimit::FileSizeLimit(unsigned long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    oldCurrent_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit limit {};
    if (active_ && ::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = oldCurrent_;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
}
#endif

std::string rawRecords(const std::vector<std::vector<std::uint16_t>>& frames)
{
    std::string out;
    for (const auto& f : frames)
        for (std::size_t i = 0; i < 40; ++i) {
            std::uint16_t w = i < f.size() ? f[i] : 0;
            out += static_cast<char>(w >> 8);
            out += static_cast<char>(w & 0xFF);
        }
    return out;
}

}  // namespace kavro::test
