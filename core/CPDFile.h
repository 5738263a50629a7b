#pragma once
// A particle size distribution file (.psd) written earlier, replayed record by
// record: each data record is decoded into the frame result.  The current frame is
// a record index that counts the header records.
#include "core/CDataSource.h"
#include "core/OutputRecord.h"

#include <memory>

namespace kavro {

class CastReader;

class CPDFile : public CDataSource {
public:
    CPDFile(SourceContext context, SourceOwner* owner);
    ~CPDFile() override;

    // The request's .psd (asked for when it has none), open, header check; throws
    // UserAbort when cancelled or refused.
    using CDataSource::open;
    void open(const OpenRequest& request, OpenQuestions* questions) override;
    const OpenRequest& request() const override { return request_; }
    // Decodes the record at the file position; 0 when a whole record is not there.
    // The current frame does not move.
    int readNextFrame() override;
    void close() override;
    int previousFrame() override;
    int nextFrame() override;
    int rewind() override;
    int lastFrame() override;
    int goToFrame(int n) override;
    // The stored aux value for 32..39; -1.0 for every other index.
    double rawValue(int index) const override;
    double transmission() const override { return frameResult_->transmission(); }
    double beamAttenuation() const override { return frameResult_->beamAttenuation(); }
    int frameNumber() const override { return currentFrame_ - headerRecords_; }

    // Whether open() takes a shared lock on the file for as long as it stays open
    // (on by default): a window showing a .psd refuses a writer, and a .psd being
    // written is refused.  A one-off reader (kavro-cli info) may do without.
    void setViewLock(bool on) { viewLock_ = on; }

    int headerRecordCount() const { return headerRecords_; }
    // True once the file was found cut short, deleted or replaced by another program:
    // the message has been shown, and from then on every move answers 0 and keeps
    // the frame (and its number) that was shown last.
    bool fileChanged() const { return changed_; }
    // Bytes after the last whole record at the open (a recording cut off mid-record); never read.
    long long trailingBytes() const { return trailingBytes_; }
    // Record 0 as read at open (for a file read without header: its first record).
    const PsdHeader& header() const { return header_; }

private:
    bool checkHeader();
    // Opens the reader; false (told) when the file cannot be read as a .psd.
    bool openReader();
    OpenRequest request_;
    // Reads record n into the record buffer; false when it is not whole.
    bool readRecord(long long n);
    // Moves to record n and reads it; the current frame changes only when it was read.
    int readFrameAt(int n);
    // False (told once) when the file is no longer the whole file that was opened.
    bool fileUnchanged();
    // The last record navigation may stand on: the file's last, but never a header record.
    int lastNavigableRecord() const;

    std::unique_ptr<CastReader> reader_;
    bool viewLock_ = true;
    long long trailingBytes_ = 0;
    long long position_ = 0;  // byte offset of the next read
    PsdRecordBytes buffer_{};
    int headerRecords_ = 0;
    PsdHeader header_;
    bool changed_ = false;
};

}  // namespace kavro
