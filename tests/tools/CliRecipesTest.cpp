// Every shell recipe of docs/data.md, run as written on a fresh folder holding two
// raw recordings, with the built kavro-cli first on the PATH and a profile that
// names the test calibration: a recipe that fails for a reader fails here.
#include "tests/tools/CliRun.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// The ```sh blocks of a Markdown text, in order.
std::vector<std::string> shellBlocks(const std::string& markdown)
{
    std::vector<std::string> blocks;
    const std::string open = "```sh\n", close = "```";
    for (std::size_t at = markdown.find(open); at != std::string::npos; at = markdown.find(open, at)) {
        at += open.size();
        const std::size_t end = markdown.find(close, at);
        if (end == std::string::npos)
            break;
        blocks.push_back(markdown.substr(at, end - at));
        at = end + close.size();
    }
    return blocks;
}

// A short recording: frames with laser light and a size distribution.
std::string recording(int frames, std::uint16_t ring)
{
    std::vector<std::vector<std::uint16_t>> f;
    for (int n = 0; n < frames; ++n) {
        std::vector<std::uint16_t> words(40, ring);
        words[32] = 3000;
        words[35] = 2000;
        words[36] = static_cast<std::uint16_t>(10 * n);  // pressure
        f.push_back(words);
    }
    return rawRecords(f);
}

struct RecipeTest : CliFixture {
    TempDir bin;
    void SetUp() override
    {
        CliFixture::SetUp();
        std::filesystem::create_symlink(cliPath(), bin.file("kavro-cli"));
        writeFile(profile, "[Directories]\nCalFiles=" + cal.dir.path() + "\n[Miscellaneous]\nNumIterations=5\n");
        std::filesystem::create_directories(bin.file("home/.parallel"));
        writeFile(bin.file("home/.parallel/will-cite"), "");
        // The scheduler, as far as the recipes use it: a job script runs as the tasks of
        // --array=FIRST-LAST[%LIMIT] one after another and its id is printed; a --wrap
        // command runs once its dependency is done. (tests/tools/slurm-recipes.sh runs
        // them on a real Slurm.)
        writeFile(bin.file("sbatch"), "#!/bin/sh\n"
                                      "first=1 last=1\n"
                                      "while [ $# -gt 0 ]; do case \"$1\" in\n"
                                      "  --wrap) sh -c \"$2\"; exit $?;;\n"
                                      "  --array=*) r=${1#--array=}; r=${r%%%*}; first=${r%-*}; last=${r#*-}; shift;;\n"
                                      "  --*) shift;;\n"
                                      "  *) i=$first; while [ $i -le $last ]; do\n"
                                      "       SLURM_ARRAY_TASK_ID=$i SLURM_CPUS_PER_TASK=2 sh \"$1\" || exit $?; i=$((i + 1)); done\n"
                                      "     echo 1; exit;;\n"
                                      "esac; done\n");
        std::filesystem::permissions(bin.file("sbatch"), std::filesystem::perms::owner_all);
    }
    // Runs a recipe in tree (made with two recordings when new); its status, and what it printed on stderr.
    std::pair<int, std::string> run(const std::string& recipe, const std::string& tree, const std::string& env = "")
    {
        if (std::filesystem::create_directories(tree + "/raw")) {  // a fresh tree
            writeFile(tree + "/raw/cast1.raw", recording(8, 300));
            writeFile(tree + "/raw/cast2.raw", recording(5, 900));
            // The station log and the cruise's attributes of the cruise recipes.
            // (A spreadsheet's blank row is no row: a recipe that counts it runs a task too many.)
            writeFile(tree + "/CASTS.csv", "recording,station,latitude,longitude,start_utc\n"
                                           "raw/cast1.raw,S1,54.5,7.25,2026-06-01T10:00:00Z\n"
                                           ",,,,\n"
                                           "raw/cast2.raw,S2,55.0,7.5,2026-06-01T14:00:00Z\n");
            writeFile(tree + "/cruise.attrs", "institution = Test Institute\nlicense = CC-BY-4.0\n");
            // The CTD of cast1, over its eight seconds.
            std::filesystem::create_directories(tree + "/ctd");
            writeFile(tree + "/ctd/cast1.cnv", "# name 0 = timeS: Time [s]\n# name 1 = prDM: Pressure [db]\n"
                                               "# start_time = Jun 01 2026 10:00:00\n*END*\n0 0\n10 20\n");
        }
        writeFile(tree + "/recipe.sh", recipe);
        const std::string command = "cd '" + tree + "' && PATH='" + bin.path() + "':$PATH HOME='" + bin.file("home") +
                                    "' KAVRO_PROFILE='" + profile + "' " + env + " sh -e recipe.sh 2>stderr.txt";
        const int status = std::system(command.c_str());
        return {status, readFile(tree + "/stderr.txt")};
    }
};

}  // namespace

TEST_F(RecipeTest, EveryShellRecipeOfTheDataPageRunsAsWritten)
{
    const std::vector<std::string> blocks = shellBlocks(readFile(std::string(KAVRO_SOURCE_DIR) + "/docs/data.md"));
    ASSERT_EQ(blocks.size(), 8u) << "the recipes of docs/data.md changed: extend this test";
    struct Recipe {
        const char* env;                 // what the scheduler would set
        std::vector<const char*> made;   // files the recipe leaves
        bool again = true;               // run again, it changes nothing (--update)
        const char* script = nullptr;    // the job script the recipe submits: the block before, saved as the page says
    } recipes[] = {
        {"", {"psd/cast1.psd", "psd/cast2.psd", "nc/cast1.nc", "nc/cast2.nc", "cruise-summary.csv"}},
        {"", {"psd/cast1.psd", "psd/cast2.psd", "nc/cast1.nc", "nc/cast2.nc"}},
        {"SLURM_ARRAY_TASK_ID=1 SLURM_CPUS_PER_TASK=2", {"psd/cast2.psd", "nc/cast2.nc"}},
        {"", {"psd/cast1.psd", "psd/cast2.psd", "nc/cast1.nc", "nc/cast2.nc"}, true, "process.sh"},
        {"",
         // (the report needs the drawing part, absent from a build without Qt: the cruise test reads it)
         {"archive/cruise_profiles.nc", "archive/cruise_summary.csv", "archive/psd/cast1.psd", "archive/nc/cast2.nc"},
         false},
        {"SLURM_ARRAY_TASK_ID=1", {"archive/psd/cast1.psd", "archive/nc/cast1.nc"}, false},
        {"", {"archive/nc/cast1.nc", "archive/nc/cast2.nc", "archive/cruise_profiles.nc"}, false, "cruise.sh"},
        {"", {"nc/cast1.nc", "psd/cast1.time.csv"}},
    };
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::string tree = work.file("tree" + std::to_string(i));
        if (recipes[i].script) {
            std::filesystem::create_directories(tree);
            writeFile(tree + "/" + recipes[i].script, blocks[i - 1]);
        }
        const auto [status, err] = run(blocks[i], tree, recipes[i].env);
        EXPECT_EQ(status, 0) << "recipe " << i + 1 << ":\n" << blocks[i] << "\nstderr:\n" << err;
        for (const char* file : recipes[i].made)
            EXPECT_TRUE(fileExists(tree + "/" + file)) << "recipe " << i + 1 << " made no " << file << "\n" << err;
        if (!recipes[i].again)
            continue;
        // Run again: --update finds everything done and changes nothing.
        const auto before = std::filesystem::last_write_time(tree + "/" + recipes[i].made[0]);
        EXPECT_EQ(run(blocks[i], tree, recipes[i].env).first, 0) << "recipe " << i + 1 << " run again";
        EXPECT_EQ(std::filesystem::last_write_time(tree + "/" + recipes[i].made[0]), before) << "recipe " << i + 1;
    }
    const std::string summary = readFile(work.file("tree0/cruise-summary.csv"));
    EXPECT_NE(summary.find("psd/cast1.psd,8,"), std::string::npos) << summary;
    EXPECT_NE(summary.find("psd/cast2.psd,5,"), std::string::npos) << summary;
}
