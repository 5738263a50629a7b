#pragma once
// A serial link of the tests: what the "instrument" sends is handed in piece by
// piece, and what the program writes is recorded.
#include "platform/SerialLink.h"

#include <string>

namespace kavro::test {

class ScriptedSerialLink : public SerialLink {
public:
    // Characters that arrive on the line and wait to be read.
    void arrive(const std::string& bytes) { pending_ += bytes; }
    // The instrument's answer to the next line the program writes: it arrives as
    // that write ends (arrive() is for characters that were there before).
    void reply(const std::string& bytes) { replies_ += bytes; }
    // At most this many characters per read (0: as many as asked for).
    void setReadChunk(int chunk) { readChunk_ = chunk; }
    // From now on the line is broken.
    void breakLink(const std::string& reason)
    {
        failed_ = true;
        error_ = reason;
    }

    int open(int portIndex) override
    {
        openedPort = portIndex;
        // A device that opens again (plugged back in) moves bytes again.
        if (openResult == 0)
            failed_ = false;
        return openResult;
    }
    int setLineParameters() override { return lineResult; }
    void write(const char* bytes, int count) override
    {
        written.append(bytes, static_cast<std::size_t>(count));
        pending_ += replies_;
        replies_.clear();
    }
    int readPending(char* dest, int maxCount) override;
    void beforeCommand() override { ++beforeCommandCalls; }
    int closeBegin() override { return closeBeginResult; }
    void closeEnd() override { ++closeEndCalls; }
    bool failed() const override { return failed_; }
    std::string lastError() const override { return error_; }

    const std::string& notYetRead() const { return pending_; }

    int openResult = 0;
    int lineResult = 0;
    int closeBeginResult = 0;
    int openedPort = -1;
    int beforeCommandCalls = 0;
    int closeEndCalls = 0;
    int readCalls = 0;
    std::string written;

private:
    std::string pending_;
    std::string replies_;
    int readChunk_ = 0;
    bool failed_ = false;
    std::string error_;
};

}  // namespace kavro::test
