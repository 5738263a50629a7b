// The commands called as plain functions with their option structs, as a
// program other than kavro-cli would: refusals arrive as Failure with the status
// and the message kavro-cli prints, whatever layer below raised them.
#include "tools/Commands.h"

#include "resources/CliProcessTexts.h"
#include "resources/DataTexts.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace kavro::cli {
namespace {

TEST(Commands, RefusalsAreFailuresWithTheirStatusAndMessage)
{
    test::TempDir dir;
    test::writeFile(dir.file("plain"), "a file, not a folder");
    test::writeFile(dir.file("rec.raw"), std::string(160, '\0'));
    struct Case {
        const char* name;
        std::function<void()> run;
        int status;
        std::string message;  // the whole message, or its start when it ends in "..."
    };
    const Case cases[] = {
        {"makecal into a file", [&] { runMakecal(MakecalCommand{dir.file("plain/cal")}); }, kExitBadInput,
         "cannot write " + dir.file("plain/cal/M32x32_a.asc") + "..."},
        {"simraw without its calibration",
         [&] {
             SimrawCommand c;
             c.calDir = dir.file("nowhere");
             runSimraw(c);
         },
         kExitBadInput, "cannot open " + dir.file("nowhere/M32x32_a.asc") + ": No such file or directory"},
        {"export without a format",
         [&] {
             ExportCommand c;
             c.files = {dir.file("x.psd")};
             runExport(c);
         },
         kExitUsage, text::kCliExportFormat},
        {"info writing over its input",
         [&] {
             InfoCommand c;
             c.file = c.output = dir.file("rec.raw");
             runInfo(c);
         },
         kExitUsage, dir.file("rec.raw") + ": " + text::kCliOutputIsInput},
    };
    for (const Case& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, c.status) << c.name;
            const std::string what = f.what();
            if (c.message.size() > 3 && c.message.compare(c.message.size() - 3, 3, "...") == 0)
                EXPECT_EQ(what.rfind(c.message.substr(0, c.message.size() - 3), 0), 0u) << c.name << ": " << what;
            else
                EXPECT_EQ(what, c.message) << c.name;
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.name << ": not a Failure: " << e.what();
        }
    }
}

}  // namespace
}  // namespace kavro::cli
