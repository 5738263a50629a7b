// kavro-cli compare TRUTH.csv RESULT.psd: how well the inverted mean diameters of a
// processed recording match the known ones it was made from (the demo recording's
// truth file), segment by segment.
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "tools/Commands.h"
#include "tools/PsdInput.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace kavro::cli {
namespace {

struct TruthRow {
    std::string segment;
    bool laserOn = false;
    double mean = 0.0;
};

std::vector<std::string> splitCsv(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    return fields;
}

std::vector<TruthRow> readTruth(const std::string& path)
{
    requireReadableFile(path);
    std::string content;
    if (!readWholeFile(path, content))
        throw Failure(kExitBadInput, path + ": cannot be read");
    std::stringstream in(content);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> header = splitCsv(line);
    auto column = [&](const std::string& name) {
        for (std::size_t i = 0; i < header.size(); ++i)
            if (header[i] == name)
                return i;
        throw Failure(kExitBadInput, path + ": no column \"" + name + "\"");
    };
    const std::size_t segment = column("segment"), laser = column("laser_on"), mean = column("mean_diameter");
    std::vector<TruthRow> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> f = splitCsv(line);
        if (f.size() != header.size())
            throw Failure(kExitBadInput, path + ": line " + std::to_string(rows.size() + 2) + " has " +
                                             std::to_string(f.size()) + " fields, the header " +
                                             std::to_string(header.size()));
        TruthRow row;
        row.segment = f[segment];
        row.laserOn = f[laser] == "1";
        row.mean = scanDouble(f[mean]).value_or(-1.0);
        rows.push_back(row);
    }
    return rows;
}

struct Segment {
    std::string name;
    int frames = 0;
    int compared = 0;
    double trueSum = 0.0;
    double invertedSum = 0.0;
};

}  // namespace

void runCompare(const CompareCommand& c)
{
    std::vector<TruthRow> rows = readTruth(c.truth);
    Environment env = loadEnvironment("");
    PsdInput input(c.psd, env);
    CPDFile& file = input.file();
    std::vector<Segment> segments;
    int ok = file.rewind();
    for (std::size_t frame = 0; ok && frame < rows.size(); ++frame, ok = file.nextFrame()) {
        const TruthRow& row = rows[frame];
        if (segments.empty() || segments.back().name != row.segment)
            segments.push_back(Segment{row.segment});
        Segment& s = segments.back();
        ++s.frames;
        const double inverted = file.frameResult().mean();
        if (row.laserOn && row.mean > 0.0 && inverted > 0.0) {
            ++s.compared;
            s.trueSum += row.mean;
            s.invertedSum += inverted;
        }
    }
    std::printf("%-10s %7s %16s %20s %11s\n", "segment", "frames", "true mean (um)", "inverted mean (um)",
                "difference");
    for (const Segment& s : segments) {
        if (s.compared == 0) {
            std::printf("%-10s %7d %16s %20s %11s\n", s.name.c_str(), s.frames, "-", "-", "(no light)");
            continue;
        }
        const double t = s.trueSum / s.compared, v = s.invertedSum / s.compared;
        std::printf("%-10s %7d %16s %20s %10s%%\n", s.name.c_str(), s.frames, formatFixed(t, 1).c_str(),
                    formatFixed(v, 1).c_str(), formatFixed(100.0 * (v - t) / t, 1).c_str());
    }
}

}  // namespace kavro::cli
