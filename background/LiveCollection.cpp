#include "background/LiveCollection.h"

#include "acquisition/CCommSource.h"

namespace kavro {

LiveCollection::~LiveCollection()
{
    end();
}

void LiveCollection::begin(Purpose purpose, CCommSource* instrument, const Settings& settings, Prompter& prompter)
{
    end();
    // Made before anything listens: a factory file that cannot be read leaves nothing running.
    auto accumulator = std::make_unique<CScatterAccumulator>(settings, prompter);
    accumulator_ = std::move(accumulator);
    purpose_ = purpose;
    instrument_ = instrument;
    if (instrument_) {
        CScatterAccumulator* target = accumulator_.get();
        instrument_->setFrameListener([target](const RawWords& words) { target->addFrame(words); });
    }
}

std::unique_ptr<CScatterAccumulator> LiveCollection::end()
{
    if (instrument_)
        instrument_->clearFrameListener();
    instrument_ = nullptr;
    purpose_ = Purpose::None;
    return std::move(accumulator_);
}

}  // namespace kavro
