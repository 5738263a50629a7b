#pragma once
// A live collection of one instrument window: from BEGIN to FINISH every frame the
// instrument delivers goes to an accumulator as well.  The Rings window collects a
// background scatter frame with it and the accumulate-and-average window an
// averaged frame; one collection serves the window that began it, and the other
// window cannot begin while it runs.
#include "background/CScatterAccumulator.h"

#include <memory>

namespace kavro {

class CCommSource;

class LiveCollection {
public:
    enum class Purpose { None, Background, Averaging };

    LiveCollection() = default;
    // Stops listening to the instrument; the frames collected so far are dropped.
    ~LiveCollection();
    LiveCollection(const LiveCollection&) = delete;
    LiveCollection& operator=(const LiveCollection&) = delete;

    // Drops a collection left over and starts a new one, fed by instrument (may be
    // null: then no frame arrives).  The accumulator reads the factory background
    // first; when it cannot, the message has been shown, UserAbort is thrown and no
    // collection runs.
    void begin(Purpose purpose, CCommSource* instrument, const Settings& settings, Prompter& prompter);
    // Ends the collection: no further frame is added.  The accumulator is handed
    // over (null when none ran).
    std::unique_ptr<CScatterAccumulator> end();

    bool running() const { return accumulator_ != nullptr; }
    Purpose purpose() const { return running() ? purpose_ : Purpose::None; }
    // Frames collected so far; 0 when no collection runs.
    int recordCount() const { return accumulator_ ? accumulator_->recordCount() : 0; }

private:
    std::unique_ptr<CScatterAccumulator> accumulator_;
    CCommSource* instrument_ = nullptr;
    Purpose purpose_ = Purpose::None;
};

}  // namespace kavro
