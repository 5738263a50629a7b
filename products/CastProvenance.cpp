#include "products/CastProvenance.h"

#include "core/CInvPars.h"
#include "core/CastReader.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Sha256.h"
#include "resources/CoreTexts.h"
#include "resources/DataTexts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace kavro {

std::string pathRelativeTo(const std::string& path, const std::string& folder, int climb)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(fs::absolute(pathFromUtf8(path), ec), ec);
    if (ec)
        return path;
    const fs::path base = fs::weakly_canonical(fs::absolute(pathFromUtf8(folder.empty() ? "." : folder), ec), ec);
    if (ec)
        return path;
    // Relative inside the folder (an archive moved as a whole still checks),
    // absolute for a file elsewhere (no climb of ../../.. that breaks when the
    // NetCDF file alone is moved).  Written with '/' between folders on every
    // system, as every system reads it and as the program writes paths elsewhere.
    const fs::path relative = file.lexically_relative(base);
    int ups = 0;
    for (auto part = relative.begin(); part != relative.end() && *part == ".."; ++part)
        ++ups;
    const bool outside = relative.empty() || ups > climb;
    std::string text = utf8FromPath(outside ? file : relative);
#ifdef _WIN32
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return text;
}

std::string calibrationDigests(const std::string& dir, int model, const std::string& relativeTo)
{
    std::vector<std::string> names;
    const ModelFiles files = modelFiles(model);
    for (const std::string& name : {files.kernel, files.h, files.diameters, files.gain})
        names.push_back(name);
    names.push_back(text::kFactoryBackgroundName);
    std::error_code ec;
    std::vector<std::string> ringAreas;
    for (const auto& entry : std::filesystem::directory_iterator(pathFromUtf8(dir.empty() ? "." : dir), ec)) {
        const std::string name = utf8FromPath(entry.path().filename());
        if (name.rfind("RingArea", 0) == 0)
            ringAreas.push_back(name);
    }
    std::sort(ringAreas.begin(), ringAreas.end());
    // Of several, the model's own is the one the processing takes.
    const std::string own = std::string("RingArea_") + modelLetter(model) + ".asc";
    if (ringAreas.size() > 1 && std::find(ringAreas.begin(), ringAreas.end(), own) != ringAreas.end())
        ringAreas = {own};
    names.insert(names.end(), ringAreas.begin(), ringAreas.end());
    std::string lines;
    for (const std::string& name : names) {
        const std::string path = joinPath(dir, name);
        lines += sha256OfFile(path).value_or(text::kNcNotFound) + "  " + pathRelativeTo(path, relativeTo) + "\n";
    }
    return lines;
}

std::vector<std::string> calibrationMismatches(const CastReader& cast, const std::string& dir)
{
    std::vector<std::string> reasons;
    if (!cast.storesDiameters())
        return reasons;
    const std::string path = joinPath(dir, modelFiles(cast.model()).diameters);
    double d[kClasses] = {};
    bool complete = true, opened = true;
    const int read = readNumberFile(path, d, kClasses, &complete, &opened);
    if (!opened || read < kClasses) {
        reasons.push_back(text::kCalNoDiameterFile + path);
        return reasons;
    }
    for (int k = 0; k < kClasses; ++k) {
        const float stored = static_cast<float>(cast.diameters()[static_cast<std::size_t>(k)]);
        if (static_cast<float>(d[k]) != stored) {
            char reason[256];
            std::snprintf(reason, sizeof reason, text::kCalDiametersDiffer, path.c_str(), k + 1,
                          formatG(d[k], 7).c_str(), formatG(stored, 7).c_str());
            reasons.push_back(reason);
            break;
        }
    }
    return reasons;
}

}  // namespace kavro
