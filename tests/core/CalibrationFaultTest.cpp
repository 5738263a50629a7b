// Calibration and background files that exist but cannot be read: a folder, a
// pipe, a file without read permission, a link to nothing.  Each is told with its
// path and ends the open; none blocks.
#include "core/CInvPars.h"
#include "tests/core/CoreFixture.h"
#include "tests/support/ChildProcess.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kavro;
using namespace kavro::test;

namespace {

enum class Obstacle { Folder, Pipe, NoPermission, DanglingLink };

std::string nameOf(Obstacle o)
{
    switch (o) {
    case Obstacle::Folder: return "Folder";
    case Obstacle::Pipe: return "Pipe";
    case Obstacle::NoPermission: return "NoPermission";
    case Obstacle::DanglingLink: return "DanglingLink";
    }
    return "";
}

void putInPlace(Obstacle o, const std::string& path)
{
    std::filesystem::remove(path);
    switch (o) {
    case Obstacle::Folder: std::filesystem::create_directory(path); break;
    case Obstacle::Pipe: ::mkfifo(path.c_str(), 0644); break;
    case Obstacle::NoPermission:
        writeFile(path, "1 2 3\n");
        ::chmod(path.c_str(), 0);
        break;
    case Obstacle::DanglingLink: std::filesystem::create_symlink(path + ".gone", path); break;
    }
}

// Loads model 0 from the folder (and the background when asked) and checks that
// the open ends after the one message about path.  Runs in the child; answers the
// number of failures.
int openEndsWithTheMessage(CalibrationFolder& cal, const std::string& path, bool background)
{
    ::alarm(20);  // a read that waits for a writer would hang the open: fail instead
    Settings settings;
    ScriptedPrompter prompter;
    prompter.choose(cal.path("RingArea_a.asc"));
    CInvPars pars(0, settings, prompter);
    pars.setCalibrationDirectory(cal.dir.path());
    bool aborted = false;
    try {
        if (background)
            pars.loadBackgroundFile(path);
        else
            pars.load();
    } catch (const UserAbort&) {
        aborted = true;
    }
    int failures = 0;
    if (!aborted) {
        std::fprintf(stderr, "%s: the open went on\n", path.c_str());
        ++failures;
    }
    const std::vector<std::string> expected{"Could not open the file " + path};
    if (prompter.messages() != expected) {
        std::fprintf(stderr, "%s: messages were:\n", path.c_str());
        for (const std::string& m : prompter.messages())
            std::fprintf(stderr, "  %s\n", m.c_str());
        ++failures;
    }
    return failures;
}

class CalibrationFaults : public ::testing::TestWithParam<Obstacle> {};

}  // namespace

TEST_P(CalibrationFaults, EveryFileOfTheSetIsToldAndEndsTheOpen)
{
    const Obstacle obstacle = GetParam();
    const bool root = ::geteuid() == 0;
    const ModelFiles files = modelFiles(0);
    for (const std::string& name : {files.kernel, files.h, files.diameters, std::string("factory_zsc.asc"),
                                    std::string("RingArea_a.asc"), files.gain, std::string("zsc.asc")}) {
        SCOPED_TRACE(name);
        CalibrationFolder cal;
        // Another user must be able to reach the folder when root runs the test as "nobody".
        ::chmod(cal.dir.path().c_str(), 0755);
        putInPlace(obstacle, cal.path(name));
        ChildResult r = runInChild([&] {
            // Root reads files without permission: the check needs an ordinary user.
            if (obstacle == Obstacle::NoPermission && root && !becomeNobody())
                return 77;
            return openEndsWithTheMessage(cal, cal.path(name), name == "zsc.asc");
        });
        if (r.exitCode == 77)
            GTEST_SKIP() << "cannot become an ordinary user to test read permissions";
        EXPECT_EQ(r.exitCode, 0) << r.output << (r.signal ? " (ended by signal " + std::to_string(r.signal) + ")" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(Obstacles, CalibrationFaults,
                         ::testing::Values(Obstacle::Folder, Obstacle::Pipe, Obstacle::NoPermission,
                                           Obstacle::DanglingLink),
                         [](const auto& info) { return nameOf(info.param); });
