#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kavro::fuzz {
namespace {

struct Scratch {
    std::string path;
    Scratch()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavro-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("kavro fuzz: mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~Scratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& scratchDir()
{
    static Scratch scratch;
    return scratch.path;
}

std::string scratchFile(std::string_view name)
{
    return scratchDir() + "/" + std::string(name);
}

void writeBytes(const std::string& path, std::string_view bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "kavro fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "kavro fuzz: property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace kavro::fuzz
