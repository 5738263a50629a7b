#pragma once
// A raw recording of the instrument replayed frame by frame: the file dialog, the
// record layout, random access by frame number, the end of the data, and the
// detection of summed 16-scan ("multi-scan") recordings.  Correction, inversion
// and the result files are CRawSource's.
#include "acquisition/RawRecordFile.h"
#include "core/CRawSource.h"

#include <array>
#include <functional>
#include <vector>
#include <optional>

namespace kavro {

struct FrameShare;

// The frame summary entry of one record, counted on its words as stored.
FrameSummary summarizeRecord(const std::uint16_t words[kFrameValues]);

class CRawFile : public CRawSource {
public:
    CRawFile(SourceContext context, SourceOwner* owner);
    ~CRawFile() override;

    // The recording of the request (asked for when it has none), the common open
    // sequence (which always writes a .psd), pre-scan.  Throws UserAbort when
    // cancelled or failed.
    using CDataSource::open;
    void open(const OpenRequest& request, OpenQuestions* questions) override;
    // Reads the record at the file position, processes and writes it, and moves on;
    // 0 past the last frame of the range or the end of the data.
    int readNextFrame() override;
    void close() override;
    // False once closed (Process File closes the source when it is done): every
    // read answers 0 from then on.
    bool isOpen() const { return input_.isOpen(); }
    // Back to the first frame of the range; always 1.
    int rewind() override;
    // Frame first + n, clamped to the range's first frame and the file's last record,
    // read and processed.
    int goToFrame(int n) override;

    // The range that rewind and read next frame work through; not checked.
    void setFrameRange(int first, int last);
    // Loads record n into the raw value array as stored, without processing; the
    // file position is left behind record n and the current frame does not move.
    int peekRawFrame(int n);
    // The raw values read next frame would take from record n (divided for summed
    // 16-scan data), without moving the source or writing anything: from the
    // records kept at the open (with the frame summary), so also once the file has
    // been processed and closed; else read from the file.  0 when the record
    // cannot be read.
    int frameValues(int n, double values[kFrameValues]) const;

    // The frames from the current one to the end of the range (or of the data)
    // through the same processing as read next frame, threads at a time, in blocks:
    // every block's records and lines go to the result files in frame order, one
    // write per file, as soon as the block is done.  The files' bytes and the
    // source's state afterwards are those of calling read next frame until it
    // answers 0.  progress(frames done) is asked after every block; false stops
    // there.  Stops as well when a result file fails.  Answers the frames processed.
    int processRange(int threads, const std::function<bool(int framesDone)>& progress = {});

    // Work without a screen has no use for the frame summary and the records kept
    // with it; without them memory stays the same whatever the length of the
    // recording.  Before open.
    void setKeepFrameSummary(bool keep) { keepFrameSummary_ = keep; }
    // A decision on multi-scan that replaces the detection (and its question).  Before open.
    void setMultiScanOverride(std::optional<bool> multiScan) { multiScanOverride_ = multiScan; }
    // Records whose laser power word is above 4095, counted by the pre-scan.
    int multiScanMarkedRecords() const { return markedRecords_; }
    // The last record read, in host order.
    const std::uint16_t* recordWords() const { return words_; }
    // Every record's words as stored (host order), kept at the open with the frame
    // summary; empty when the source keeps none.
    const std::vector<RawWords>& keptRecords() const { return records_; }

private:
    int preScan();
    void decideMultiScan();
    // The state a block's last frame left, as reading that frame alone would have left it.
    void adoptLastFrame(const FrameShare& last);
    // Frames that read next frame would read once ahead more frames are read, at most limit.
    int framesLeft(int limit, int ahead) const;

    RawRecordFile input_;
    // Every record's words as stored, kept with the frame summary.
    std::vector<RawWords> records_;
    std::uint16_t words_[kFrameValues] = {};
    long long nextRecord_ = 0;  // the file position, in records
    bool keepFrameSummary_ = true;
    std::optional<bool> multiScanOverride_;
    // The questions of the open in progress (the multi-scan question); null otherwise.
    OpenQuestions* questions_ = nullptr;
    int markedRecords_ = 0;
};

}  // namespace kavro
