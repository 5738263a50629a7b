#include "fuzz/FuzzSupport.h"

#include "core/CInvPars.h"
#include "platform/File.h"
#include "platform/NumText.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

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

std::string numberLines(const std::vector<double>& values)
{
    std::string s;
    for (double v : values)
        s += formatG(v, 17) + "\n";
    return s;
}

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

long long fileSize(const std::string& path)
{
    const std::optional<FileStamp> stamp = fileStamp(path);
    return stamp ? stamp->size : -1;
}

void writeSoundCalibration()
{
    static bool written = false;
    if (written)
        return;
    std::vector<double> kernel(1024), dias(32), ones(32, 1.0), bg(40, 12.0);
    for (int r = 0; r < 32; ++r)
        for (int k = 0; k < 32; ++k)
            kernel[static_cast<std::size_t>(32 * r + k)] = r == k ? 1.0 : 0.02;
    for (int k = 0; k < 32; ++k)
        dias[static_cast<std::size_t>(k)] = 2.0 + 3.0 * k;
    bg[32] = 4000.0;
    bg[35] = 2000.0;
    const ModelFiles files = modelFiles(0);
    writeBytes(scratchFile(files.kernel), numberLines(kernel));
    writeBytes(scratchFile(files.h), numberLines(kernel));
    writeBytes(scratchFile(files.diameters), numberLines(dias));
    writeBytes(scratchFile(files.gain), numberLines(ones));
    writeBytes(scratchFile("RingArea_a.asc"), numberLines(ones));
    writeBytes(scratchFile("factory_zsc.asc"), numberLines(bg));
    writeBytes(scratchFile("zsc.asc"), numberLines(bg));
    written = true;
}

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "kavro fuzz: property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace kavro::fuzz
