#pragma once
// The program's one reader of .psd files: the header, the class diameters and the
// records, one at a time or in blocks, and each frame turned into the values a
// scientist works with (placeholders replaced by NaN, statistics and quality flags
// added).  The desktop's file source (CPDFile), the NetCDF and CSV exports, the
// pictures of a cast, kavro-cli info and the archive summary read casts through this.
#include "core/FrameStatistics.h"
#include "core/OutputRecord.h"
#include "platform/File.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro {

// What went wrong with a .psd; Other for every failure not of the reader.
enum class CastFault { Other, Open, Locked, Empty, NotPsd, BadHeader, Read };

// "<path>: <problem>".
struct CastError : std::runtime_error {
    explicit CastError(const std::string& what, CastFault f = CastFault::Other, int error = 0)
        : std::runtime_error(what), fault(f), systemError(error)
    {
    }
    CastFault fault;
    int systemError;  // errno of an Open or Read fault
};

class CastReader {
public:
    enum class Check {
        Strict,           // a KAVRO400 .psd with its header and at least one more record
        AllowHeaderless,  // as Strict, but a file without the magic is all frame records
        None,             // any regular file; the header's records when it has a sound one
    };
    struct Options {
        Check check = Check::Strict;
        // A shared lock for as long as the reader lives: refused (CastFault::Locked)
        // while a writer holds the file, and it keeps writers out.
        bool sharedLock = false;
    };
    // Opens and checks the header; throws CastError (Open, Locked, Empty, NotPsd,
    // BadHeader) naming the file when it cannot be read as asked.
    explicit CastReader(const std::string& path) : CastReader(path, Options{}) {}
    CastReader(const std::string& path, Options options);
    ~CastReader();
    CastReader(const CastReader&) = delete;
    CastReader& operator=(const CastReader&) = delete;

    const std::string& path() const { return path_; }
    const PsdHeader& header() const { return header_; }
    int model() const { return header_.model; }
    long long frameCount() const { return frames_; }
    // The class diameters of the header's record 1; the model's class centres when
    // the file holds none (a header of one record, or zeros).
    const ClassValues& diameters() const { return diameters_; }
    // True when the header stores the class diameters of the calibration it was processed with.
    bool storesDiameters() const { return storesDiameters_; }
    // The class edges: derived from the stored diameters (classEdgesFor), the
    // model's nominal edges when the file stores none or unusable ones.
    const ClassEdges& edges() const { return edges_; }
    // No background path in the header: processed without a background scatter file.
    bool backgroundMissing() const { return header_.backgroundPath.empty(); }

    // Reads up to count records from the frame first on (never past the frames
    // counted at the open); the records read.  Throws CastError on a read error.
    std::size_t read(long long first, std::size_t count, std::vector<OutputRecord>& records) const;

    // Whole records at the open, header records included, less the zero-filled ones
    // at the end; the bytes after the last whole record (a recording cut off
    // mid-record: reported, never read).
    long long recordCount() const { return records_; }
    long long trailingBytes() const { return trailingBytes_; }
    // Records of nothing but zero bytes after the last frame that holds anything: what
    // a power cut leaves when the file system had made the file longer but the data
    // never reached the disk.  Not frames: never counted, read or shown.  Only a file
    // with a sound header is looked at (its layout is known); zero records between
    // frames are data.
    long long zeroFilledRecords() const { return zeroFilled_; }
    // Records before the first frame: the header's count, 0 for a file without one.
    int headerRecords() const { return headerRecords_; }
    // True when the file starts with the KAVRO400 magic.
    bool hasHeader() const { return header_.magicOK; }
    // The raw bytes of up to count records from record first on (header records
    // counted; a file that grew since the open is read on); the whole records read.
    // Throws CastError on a read error.
    std::size_t readRecords(long long first, std::size_t count, std::vector<unsigned char>& bytes) const;
    // One record; false when the file does not hold it whole.
    bool readRecord(long long record, PsdRecordBytes& bytes) const;
    // The whole records the file holds now; -1 when it is no longer the file that
    // was opened (deleted, or another file put in its place under its name).
    long long recordsNow() const;

    // True when the file can be opened and starts with the KAVRO400 magic.
    static bool isPsdFile(const std::string& path);

private:
    void open(Options options);
    long long countZeroFilledTail(long long first, long long end) const;

    std::string path_;
    ReadOnlyFile file_;
    long long records_ = 0, trailingBytes_ = 0, zeroFilled_ = 0;
    int headerRecords_ = 0;
    FileIdentity identity_;  // the file opened, to tell it from a replacement
    PsdHeader header_;
    long long frames_ = 0;
    ClassValues diameters_{};
    ClassEdges edges_{};
    bool storesDiameters_ = false;
    mutable std::vector<unsigned char> bytes_;  // the block last read, kept for the next
};

// One frame ready for analysis.  NaN where the frame has no value: the optics of a
// frame without usable laser light, the statistics of a frame without particles.
struct FrameRow {
    long long frame = 0;
    double utc = 0.0;  // seconds since 1970 UTC; NaN without a time stamp
    std::array<float, kClasses> volume{};
    std::array<float, kRings> vsf{};
    std::array<float, kAux> aux{};
    float totalVolume = 0, mean = 0, stdDev = 0, transmission = 0, beamAttenuation = 0;
    FrameStatistics stats;
    int zeroRings = 0, saturatedRings = 0;
    unsigned flags = 0;
};
FrameRow analyseFrame(const OutputRecord& record, long long frame, const ClassEdges& edges, const ClassValues& diameters,
                      bool backgroundMissing);

// A whole cast in a few numbers (kavro-cli info and summary).
struct CastFigures {
    long long frames = 0;
    long long withDistribution = 0;              // frames with light and particles
    std::array<long long, kQualityFlagCount> byFlag{};  // frames carrying each flag bit
    long long unflagged = 0;
    double medianD50 = 0.0;                      // over frames with a distribution; NaN when none
    double minMean = 0.0, maxMean = 0.0;         // range of the mean diameter; NaN when none
    double meanTotalVolume = 0.0;                // over frames with light; NaN when none
    // From <name>.time.csv beside the file: the first and last time (UTC seconds, NaN
    // without any) and the frames that have one; a time file that cannot be read is
    // told in timesProblem ("<file>: <problem>") and gives none.
    double firstUtc = 0.0, lastUtc = 0.0;
    long long stamped = 0;
    std::string timesProblem;
    bool timesHalfLine = false;  // the time file ended in a half line, left out
};
CastFigures castFigures(const CastReader& cast);

// What a recording cut off by a power loss or a kill left at its end, one
// "<file>: <what>" each: zero-filled records and part of a record at the end of the
// .psd, a half line at the end of its time file (timesHalfLine).  Empty for a whole
// recording.  kavro-cli tells each as a warning.
std::vector<std::string> cutOffNotes(const CastReader& cast, bool timesHalfLine);
// The same for a .psd and the time file beside it, read for it; a file that
// cannot be read gives no notes (its reader tells why).
std::vector<std::string> cutOffNotes(const std::string& psd);
// "3 zero-filled records at the end, left out: the recording was cut off".
std::string zeroFilledText(long long records);

}  // namespace kavro
