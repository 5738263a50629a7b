// kavro-cli export FILE.psd --csv: the frames of a .psd file as a table.
#include "auxiliary/CHKInfo.h"
#include "core/OutputFile.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CliProcessTexts.h"
#include "tools/PsdInput.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace kavro::cli {
namespace {

std::string csvField(const std::string& s)
{
    if (s.find_first_of(",\"\n\r") == std::string::npos)
        return s;
    std::string quoted = "\"";
    for (char c : s)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string headerRow(const CFrameResult& result, const CHKInfo& channels)
{
    std::string row;
    char name[64];
    for (int k = 0; k < kClasses; ++k) {
        const double d = result.diameter(k);
        if (d > 0.0)
            std::snprintf(name, sizeof name, text::kCsvClassColumn, formatG(d).c_str());
        else
            std::snprintf(name, sizeof name, text::kCsvClassNumberColumn, k + 1);
        row += csvField(name) + ",";
    }
    for (int i = 0; i < kAux; ++i)
        row += csvField(channels.Channel(i)->label) + ",";
    return row + text::kCsvTailColumns + "\n";
}

// Every value came from a float32 of the file and is written so that it reads back exactly.
std::string frameRow(const CFrameResult& r)
{
    std::string row;
    auto put = [&](double v) {
        if (!row.empty())
            row += ',';
        row += formatShortest(static_cast<float>(v));
    };
    for (int k = 0; k < kClasses; ++k)
        put(r.volume(k));
    for (int i = 0; i < kAux; ++i)
        put(r.aux(i));
    for (double v : {r.mean(), r.stdDev(), r.transmission(), r.beamAttenuation()})
        put(v);
    return row + "\n";
}

void exportCsv(const std::string& path, const std::string& output, const std::string& profile)
{
    if (output != kStandardOutput && !output.empty() && sameFile(path, output))
        throw Failure(kExitUsage, output + ": " + text::kCliOutputIsInput);
    Environment env = loadEnvironment(profile);
    PsdInput input(path, env);
    CPDFile& file = input.file();
    TextSink sink(output);
    sink.add(headerRow(file.frameResult(), CHKInfo(env.profile.get())));
    for (int ok = file.rewind(); ok; ok = file.nextFrame())
        sink.add(frameRow(file.frameResult()));
    sink.close();
}

}  // namespace

void addExportCommand(CLI::App& app)
{
    struct Options {
        std::string file, output, profile;
        bool csv = false;
    };
    auto o = std::make_shared<Options>();
    auto* cmd = app.add_subcommand("export", "Write the frames of a .psd file as a table");
    cmd->add_option("FILE", o->file, "the .psd file")->required();
    cmd->add_flag("--csv", o->csv, "comma-separated values")->required();
    cmd->add_option("-o,--output", o->output, "the file to write (default, or -: standard output)");
    cmd->add_option("--profile", o->profile, "the settings profile to read (default: the program's own)");
    cmd->callback([o] { exportCsv(o->file, o->output, o->profile); });
}

}  // namespace kavro::cli
