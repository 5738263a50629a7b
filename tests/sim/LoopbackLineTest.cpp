// The in-process serial line: bytes each way in order, and a hang-up that the
// program's end sees as an unplugged device.
#include "sim/LoopbackLine.h"

#include "resources/CliTexts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace kavro {
namespace {

std::string readAll(SerialLink& link)
{
    std::string got;
    char buf[4];  // smaller than what is waiting: several reads gather it
    for (int n; (n = link.readPending(buf, static_cast<int>(sizeof buf))) > 0;)
        got.append(buf, static_cast<std::size_t>(n));
    return got;
}

TEST(LoopbackLine, CarriesBytesBothWaysInOrder)
{
    LoopbackLine line = makeLoopbackLine();
    SerialLink& program = *line.program;
    InstrumentPort& instrument = *line.instrument;
    // Nothing goes before the port is open.
    program.write("early", 5);
    char buf[64];
    EXPECT_EQ(instrument.read(buf, sizeof buf, 0), 0);

    ASSERT_EQ(program.open(1), 0);
    EXPECT_EQ(program.setLineParameters(), 0);
    EXPECT_EQ(program.open(4), -1);  // there are four ports
    program.write("RUN\r\n", 5);
    program.write("\r\n", 2);
    int n = instrument.read(buf, 3, 0);
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(n)), "RUN");
    n = instrument.read(buf, sizeof buf, 0);
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(n)), "\r\n\r\n");

    EXPECT_EQ(instrument.write("{1 2}\r\n", 7), 7);
    EXPECT_EQ(instrument.write("OK", 2), 2);
    EXPECT_EQ(readAll(program), "{1 2}\r\nOK");
    EXPECT_EQ(instrument.devicePath(), "");

    // Unread replies are dropped by discardPending; later ones arrive.
    instrument.write("stale", 5);
    program.discardPending();
    instrument.write("fresh", 5);
    EXPECT_EQ(readAll(program), "fresh");
    EXPECT_FALSE(program.failed());
    EXPECT_EQ(program.lastError(), "");
}

TEST(LoopbackLine, AReadWaitsForTheProgramsBytes)
{
    LoopbackLine line = makeLoopbackLine();
    ASSERT_EQ(line.program->open(0), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        line.program->write("\r\n", 2);
    });
    char buf[8];
    int n = line.instrument->read(buf, sizeof buf, 5000);
    writer.join();
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(std::max(n, 0))), "\r\n");
    // With nothing sent the wait ends empty.
    EXPECT_EQ(line.instrument->read(buf, sizeof buf, 10), 0);
}

TEST(LoopbackLine, AHangUpFailsTheProgramsEnd)
{
    struct Case {
        const char* name;
        bool destroyInstrument;  // the instrument's end goes away instead of hanging up
    };
    for (const Case c : {Case{"hang-up", false}, Case{"instrument gone", true}}) {
        LoopbackLine line = makeLoopbackLine();
        ASSERT_EQ(line.program->open(0), 0) << c.name;
        line.instrument->write("{1}", 3);
        if (c.destroyInstrument)
            line.instrument.reset();
        else
            line.instrument->hangUp();
        EXPECT_TRUE(line.program->failed()) << c.name;
        EXPECT_EQ(line.program->lastError(), text::kLoopbackHungUp) << c.name;
        EXPECT_EQ(readAll(*line.program), "") << c.name;  // what was not read is lost with the line
        line.program->closeBegin();
        line.program->closeEnd();
        EXPECT_NE(line.program->open(0), 0) << c.name;
        if (!c.destroyInstrument) {
            char buf[8];
            line.program->write("\r\n", 2);
            EXPECT_EQ(line.instrument->read(buf, sizeof buf, 0), 0) << c.name;
            EXPECT_EQ(line.instrument->write("x", 1), 0) << c.name;
        }
    }
}

}  // namespace
}  // namespace kavro
