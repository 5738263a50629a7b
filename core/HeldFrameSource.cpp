#include "core/HeldFrameSource.h"

namespace kavro {

HeldFrameSource::HeldFrameSource(const CDataSource& live) : CDataSource(live.context(), live.owner()), live_(live)
{
    sourceKind_ = live.sourceKind();
    sourceName_ = live.sourceName();
    frameResult_->diameters() = live.frameResult().diameters();
    frameResult_->setVolumeConversion(live.frameResult().volumeConversion());
}

void HeldFrameSource::hold(const OutputRecord& record, int frameNumber, const RawWords* words)
{
    words_.reset();
    if (words) {
        words_ = *words;
        // A live frame's raw values are its words as they came (never summed scans).
        for (int i = 0; i < kFrameValues; ++i)
            raw_[static_cast<std::size_t>(i)] = (*words)[static_cast<std::size_t>(i)];
    }
    decodeIntoResult(record, *frameResult_);
    // The record's total is the sum of its classes, which the stored record does not keep.
    frameResult_->setTotalVolume(frameResult_->volumeSum());
    currentFrame_ = frameNumber;
}

}  // namespace kavro
