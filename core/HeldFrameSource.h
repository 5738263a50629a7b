#pragma once
// One frame of a live source held still for the display while the source goes on
// taking frames: the frame's stored record, read back the way a .psd frame is,
// with the class diameters and the kind of the source it came from.  Its number is
// the one the live source gave the frame.  Its raw values are the words the frame
// came as, when they were kept (-1 without them: the record has none).  It opens,
// reads and writes nothing.
#include "core/CDataSource.h"
#include "core/OutputRecord.h"
#include "core/RawRecord.h"

#include <array>
#include <optional>

namespace kavro {

class HeldFrameSource : public CDataSource {
public:
    explicit HeldFrameSource(const CDataSource& live);

    // Shows this record as frame frameNumber from now on, with the words it came as
    // when given.
    void hold(const OutputRecord& record, int frameNumber, const RawWords* words = nullptr);
    // The words of the frame held, when it came with them.
    const std::optional<RawWords>& words() const { return words_; }

    void open() override {}
    int readNextFrame() override { return 0; }
    void close() override {}
    double rawValue(int index) const override
    {
        return words_ && index >= 0 && index < kFrameValues ? raw_[static_cast<std::size_t>(index)] : -1.0;
    }
    double transmission() const override { return frameResult_->transmission(); }
    double beamAttenuation() const override { return frameResult_->beamAttenuation(); }
    double backgroundValue(int index) const override { return live_.backgroundValue(index); }
    double factoryBackgroundValue(int index) const override { return live_.factoryBackgroundValue(index); }
    double laserReferenceRatio() const override { return live_.laserReferenceRatio(); }

private:
    const CDataSource& live_;
    std::optional<RawWords> words_;
    std::array<double, kFrameValues> raw_{};
};

}  // namespace kavro
