#pragma once
// One frame of a live source held still for the display while the source goes on
// taking frames: the frame's stored record, read back the way a .psd frame is,
// with the class diameters and the kind of the source it came from.  Its number is
// the one the live source gave the frame.  It holds no raw values (the record has
// none), and it opens, reads and writes nothing.
#include "core/CDataSource.h"
#include "core/OutputRecord.h"

namespace kavro {

class HeldFrameSource : public CDataSource {
public:
    explicit HeldFrameSource(const CDataSource& live);

    // Shows this record as frame frameNumber from now on.
    void hold(const OutputRecord& record, int frameNumber);

    void open() override {}
    int readNextFrame() override { return 0; }
    void close() override {}
    double rawValue(int index) const override
    {
        (void)index;
        return -1.0;
    }
    double transmission() const override { return frameResult_->transmission(); }
    double beamAttenuation() const override { return frameResult_->beamAttenuation(); }
};

}  // namespace kavro
