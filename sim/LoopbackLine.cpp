#include "sim/LoopbackLine.h"

#include "resources/CliTexts.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace kavro {

namespace {

// What both ends share: a queue each way and whether the instrument has hung up.
struct Wire {
    std::mutex mutex;
    std::condition_variable toInstrumentArrived;
    std::string toInstrument;
    std::string toProgram;
    bool hungUp = false;
};

// Moves up to maxCount bytes from the front of queue into dest.
int take(std::string& queue, char* dest, int maxCount)
{
    std::size_t n = std::min(queue.size(), static_cast<std::size_t>(std::max(maxCount, 0)));
    std::copy_n(queue.data(), n, dest);
    queue.erase(0, n);
    return static_cast<int>(n);
}

class InstrumentEnd : public InstrumentPort {
public:
    explicit InstrumentEnd(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}
    ~InstrumentEnd() override { hangUp(); }

    int read(char* dest, int maxCount, int waitMs) override
    {
        std::unique_lock lock(wire_->mutex);
        wire_->toInstrumentArrived.wait_for(lock, std::chrono::milliseconds(std::max(waitMs, 0)),
                                            [this] { return wire_->hungUp || !wire_->toInstrument.empty(); });
        return wire_->hungUp ? 0 : take(wire_->toInstrument, dest, maxCount);
    }

    int write(const char* bytes, int count) override
    {
        std::lock_guard lock(wire_->mutex);
        if (wire_->hungUp || count <= 0)
            return 0;
        wire_->toProgram.append(bytes, static_cast<std::size_t>(count));
        return count;
    }

    void hangUp() override
    {
        std::lock_guard lock(wire_->mutex);
        wire_->hungUp = true;
        wire_->toInstrument.clear();
        wire_->toProgram.clear();
        wire_->toInstrumentArrived.notify_all();
    }

private:
    std::shared_ptr<Wire> wire_;
};

class ProgramEnd : public SerialLink {
public:
    explicit ProgramEnd(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}

    int open(int portIndex) override
    {
        if (portIndex < 0 || portIndex > 3 || failed())
            return -1;
        open_ = true;
        return 0;
    }
    int setLineParameters() override { return open_ && !failed() ? 0 : -1; }

    void write(const char* bytes, int count) override
    {
        std::lock_guard lock(wire_->mutex);
        if (!open_ || wire_->hungUp || count <= 0)
            return;
        wire_->toInstrument.append(bytes, static_cast<std::size_t>(count));
        wire_->toInstrumentArrived.notify_all();
    }

    int readPending(char* dest, int maxCount) override
    {
        std::lock_guard lock(wire_->mutex);
        return open_ && !wire_->hungUp ? take(wire_->toProgram, dest, maxCount) : 0;
    }

    void discardPending() override
    {
        std::lock_guard lock(wire_->mutex);
        wire_->toProgram.clear();
    }

    void beforeCommand() override {}
    int closeBegin() override { return open_ ? 0 : -1; }
    void closeEnd() override { open_ = false; }

    bool failed() const override
    {
        std::lock_guard lock(wire_->mutex);
        return wire_->hungUp;
    }
    std::string lastError() const override { return failed() ? text::kLoopbackHungUp : std::string(); }

private:
    std::shared_ptr<Wire> wire_;
    bool open_ = false;
};

}  // namespace

LoopbackLine makeLoopbackLine()
{
    auto wire = std::make_shared<Wire>();
    return LoopbackLine{std::make_unique<InstrumentEnd>(wire), std::make_unique<ProgramEnd>(wire)};
}

}  // namespace kavro
