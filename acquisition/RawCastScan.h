#pragma once
// The frames of a raw recording worked through in the background for its window's
// cast picture: every record through the processing Process File gives it, into its
// .psd record, on a thread of its own.  The scan works on copies of the calibration,
// the auxiliary calibration, the processing settings and the records taken when it
// is made, so the window goes on (and may change its calibration) while a long
// recording is processed; nothing is written.  The window takes the records done
// now and then, in frame order.
#include "acquisition/FrameBlock.h"
#include "auxiliary/CHKInfo.h"
#include "core/CInvPars.h"
#include "core/RawRecord.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kavro {

class CRawFile;

class RawCastScan {
public:
    // The records source kept at its open, processed as source would process them.
    explicit RawCastScan(const CRawFile& source);
    // start: the frame result before the first record (diameters, volume conversion).
    RawCastScan(const CInvPars& calibration, const CHKInfo& aux, ProcessingOptions options, bool multiScan,
                const CFrameResult& start, std::vector<RawWords> records);
    // Stops the thread and waits for it.
    ~RawCastScan();
    RawCastScan(const RawCastScan&) = delete;
    RawCastScan& operator=(const RawCastScan&) = delete;

    // Starts the thread (once).
    void start();
    // Asks the thread to stop after the frame it is on and waits for it.
    void stop();

    long long total() const { return static_cast<long long>(records_.size()); }
    // Records taken so far.
    long long taken() const { return taken_; }
    // Appends the records processed since the last take to out, in frame order;
    // answers how many.
    std::size_t take(std::vector<OutputRecord>& out);
    // True once the thread has ended (every record done, stopped, or failed) and
    // every record it processed has been taken.
    bool finished();
    // Why the scan ended early ("" when it did not).
    std::string error();

private:
    void run();

    CInvPars calibration_;
    CHKInfo aux_;
    ProcessingOptions options_;
    bool multiScan_;
    CFrameResult start_;
    std::vector<RawWords> records_;

    std::mutex mutex_;
    std::vector<OutputRecord> done_;  // processed, not taken yet
    std::string error_;
    bool ended_ = false;
    long long taken_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace kavro
