#include "core/HeldFrameSource.h"

namespace kavro {

HeldFrameSource::HeldFrameSource(const CDataSource& live) : CDataSource(live.context(), live.owner())
{
    sourceKind_ = live.sourceKind();
    sourceName_ = live.sourceName();
    frameResult_->diameters() = live.frameResult().diameters();
    frameResult_->setVolumeConversion(live.frameResult().volumeConversion());
}

void HeldFrameSource::hold(const OutputRecord& record, int frameNumber)
{
    decodeIntoResult(record, *frameResult_);
    // The record's total is the sum of its classes, which the stored record does not keep.
    frameResult_->setTotalVolume(frameResult_->volumeSum());
    currentFrame_ = frameNumber;
}

}  // namespace kavro
