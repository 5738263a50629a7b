#pragma once
// The cast of a live window, kept in memory as its frames come: every frame's
// output record (to show any of them again) and the picture's columns, grown one
// frame at a time.  A column holds a power of two of frames; when the columns
// reach the limit, neighbours are merged in pairs and a column holds twice as
// many, so an append costs the same at the ten-thousandth frame as at the first
// and the picture never has more columns than the limit.  The frames run along
// the frame axis by their place in the cast (0, 1, 2 ...); the number the source
// gave each frame is kept beside it.
#include "core/CastSummary.h"

#include <vector>

namespace kavro {

class LiveCast {
public:
    static constexpr int kDefaultMaxColumns = 1024;

    // source: the header, class edges and pressure channel the frames are read with.
    // maxColumns is rounded down to an even number of at least 2.
    explicit LiveCast(CastSource source, int maxColumns = kDefaultMaxColumns);

    // Appends a frame that has been processed: its record and its number at the source.
    void append(const OutputRecord& record, int frameNumber);

    long long size() const { return static_cast<long long>(records_.size()); }
    bool empty() const { return records_.empty(); }
    // The record and the source's number of the frame at place i (0 .. size()-1).
    const OutputRecord& record(long long i) const { return records_[static_cast<std::size_t>(i)]; }
    int frameNumber(long long i) const { return numbers_[static_cast<std::size_t>(i)]; }
    int framesPerColumn() const { return perColumn_; }
    int maxColumns() const { return maxColumns_; }

    // The picture of the frames so far along the frame axis: the columns end at a
    // whole column, so the last one may be only partly filled.
    const CastSummary& summary() const { return summary_; }

private:
    void mergePairs();
    void refreshColumn(std::size_t i);

    int maxColumns_;
    int perColumn_ = 1;
    ClassEdges edges_{};
    std::vector<OutputRecord> records_;
    std::vector<int> numbers_;
    std::vector<CastColumnAccumulator> columns_;
    CastSummary summary_;
};

class CRawSource;
// The picture's source for the frames a source processes: the header its .psd
// output gets (model, laser reference ratio, background file), the pressure
// channel of its calibration, and its name (the .psd output, or "Instrument").
CastSource liveCastSource(const CRawSource& source, int model);

}  // namespace kavro
