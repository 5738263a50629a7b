#pragma once
// The cast of a live window, kept in memory as its frames come: every frame's
// output record (to show any of them again) and the picture's columns, grown one
// frame at a time.  A column holds a power of two of frames; when the columns
// reach the limit, neighbours are merged in pairs and a column holds twice as
// many, so an append costs the same at the ten-thousandth frame as at the first
// and the picture never has more columns than the limit.  The frames run along
// the frame axis by their place in the cast (0, 1, 2 ...); the number the source
// gave each frame is kept beside it.
#include "core/RawRecord.h"
#include "products/CastSummary.h"

#include <vector>

namespace kavro {

class LiveCast {
public:
    static constexpr int kDefaultMaxColumns = 1024;

    // source: the header, class edges and pressure channel the frames are read with.
    // maxColumns is rounded down to an even number of at least 2.  Without
    // keepRecords only the picture and the frame numbers are kept (a recording that
    // can be read again needs no copy of its frames: half a kilobyte a frame).
    explicit LiveCast(CastSource source, int maxColumns = kDefaultMaxColumns, bool keepRecords = true);

    // Appends a frame that has been processed: its record and its number at the
    // source, and the words it came as when there are any (a held frame then shows
    // its raw values too: rings, auxiliary channels).
    void append(const OutputRecord& record, int frameNumber, const RawWords* words = nullptr);

    long long size() const { return static_cast<long long>(numbers_.size()); }
    bool empty() const { return numbers_.empty(); }
    bool keepsRecords() const { return keepRecords_; }
    // The record (kept records only) and the source's number of the frame at place i
    // (0 .. size()-1).
    const OutputRecord& record(long long i) const { return records_[static_cast<std::size_t>(i)]; }
    int frameNumber(long long i) const { return numbers_[static_cast<std::size_t>(i)]; }
    // The words frame i came as; null when it was appended without them.
    const RawWords* words(long long i) const
    {
        const auto k = static_cast<std::size_t>(i);
        return k < words_.size() && hasWords_[k] ? &words_[k] : nullptr;
    }
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
    bool keepRecords_;
    ClassEdges edges_{};
    std::vector<OutputRecord> records_;
    std::vector<int> numbers_;
    std::vector<RawWords> words_;    // beside records_ once any frame came with words
    std::vector<bool> hasWords_;
    std::vector<CastColumnAccumulator> columns_;
    CastSummary summary_;
};

class CRawSource;
// The picture's source for the frames a source processes: the header its .psd
// output gets (model, laser reference ratio, background file), the pressure
// channel of its calibration, and its name (the .psd output, or "Instrument").
CastSource liveCastSource(const CRawSource& source, int model);

}  // namespace kavro
