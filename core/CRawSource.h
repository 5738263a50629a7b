#pragma once
// The base of the two sources of raw frames (a raw recording and the instrument):
// the raw value array, the calibration set, the correction and inversion of each
// frame, and the result files.
#include "core/CDataSource.h"
#include "core/CInvPars.h"
#include "core/FrameProcessor.h"
#include "core/OpenQuestions.h"
#include "core/ResultFiles.h"
#include "core/OutputRecord.h"
#include "core/TimeStamps.h"

#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace kavro {

// One entry per record of a raw recording, made when it opens: its auxiliary words
// and ring counts, for the auxiliary graph.
struct FrameSummary {
    std::uint16_t aux[kAux] = {};
    std::int32_t zeroRings = 0;
    std::int32_t saturatedRings = 0;
};

class CRawSource : public CDataSource {
public:
    CRawSource(SourceContext context, SourceOwner* owner);
    ~CRawSource() override;
    using CDataSource::open;
    // The request the source opened with, completed by the questions it asked.
    const OpenRequest& request() const override { return request_; }

    double rawValue(int index) const override;
    double backgroundValue(int index) const override;
    double factoryBackgroundValue(int index) const override;
    double transmission() const override { return transmission_; }
    double beamAttenuation() const override { return beamAttenuation_; }
    double laserReferenceRatio() const override { return calibration_->laserReferenceRatio(); }

    int classCount() const { return kClasses; }
    double classDiameter(int k) const { return frameResult_->diameter(k); }
    // Laser power of the background and of the factory background; 0 until the calibration loaded.
    double backgroundLaserPower() const;
    double factoryLaserPower() const;
    // An averaged frame becomes the calibration set's background; 0 when it is refused.
    int setBackgroundFromRecord(const double values[kFrameValues]);
    // Processes one given frame (an average) and writes it alone to path (.psd) and/or
    // the .asc beside it.  An empty path writes nothing.  True when every file asked
    // for was written whole (a failure has been told).
    bool processAndSave(const double values[kFrameValues], const std::string& path, int writePsd, int writeAsc);
    // True when path is one of the result files this source has open (a file that
    // must not be replaced while the source writes it).
    bool writesTo(const std::string& path) const { return results_.writesTo(path); }

    // The result files this source writes (.psd, .asc, .log, .time.csv, those that
    // are open), and whether there is any: frames that go to no file are shown only.
    std::vector<std::string> outputPaths() const { return results_.paths(); }
    bool recording() const { return !outputPaths().empty(); }
    // The first of paths that names the same file as one before it ("" when none):
    // a .psd called "run.asc" beside an .asc output would be written twice over.
    static std::string repeatedOutput(const std::vector<std::string>& paths);
    // The desktop program: the files that go beside the chosen .psd (.asc, .log, the
    // time stamps), which its save dialog did not ask about, are replaced only when
    // the user says so; No abandons the open before anything is written.
    void setAskBeforeReplacing(bool ask) { askBeforeReplacing_ = ask; }
    // The files a request writes, by slot ("" for those it does not), named after
    // its output (base: the name when the request has none).
    static void plannedOutputs(const OpenRequest& request, bool psdAlways, bool timeStamps, const std::string& base,
                               std::string (&paths)[ResultFiles::kSlots]);
    // The first "<name>-2.psd", "<name>-3.psd", ... beside the request's output none
    // of whose files (by the request's switches) exists: a new cast's free name.
    static std::string freeOutputName(const OpenRequest& request, bool timeStamps);
    // A background accepted while frames are recorded: it processes the frames from
    // now on, which go to a new set of files under the free name ("cast7-2.psd"),
    // whose .psd header names backgroundPath; the files so far keep the frames
    // processed with the background their header names.  The new .psd's path; ""
    // when nothing records, the background has no laser light, or the new files
    // could not be made (told: nothing is recorded from then on).
    std::string recordOnWithBackground(const double values[kFrameValues], const std::string& backgroundPath);
    // After a cast was continued: the frames its files held, and what was said of it
    // ("Continuing ..."); 0 and "" otherwise.
    long long continuedFrames() const { return continuedFrames_; }
    const std::string& continuationNote() const { return continuationNote_; }

    void readVolumeConversionSetting();
    void copyClassDiameters();
    // Does nothing; the sources' own close operations call it last.
    void baseClose() {}

    CInvPars& calibration() { return *calibration_; }
    const CInvPars& calibration() const { return *calibration_; }
    const std::vector<FrameSummary>& frameSummary() const { return frameSummary_; }
    const std::string& backgroundFileName() const { return backgroundFileName_; }
    int laserOK() const { return laserOK_; }
    int calibrationOK() const { return calibrationOK_; }
    int multiScan() const { return multiScan_; }
    int firstFrame() const { return firstFrame_; }
    int lastFrameOfRange() const { return lastFrame_; }
    const std::array<double, kRings>& correctedRings() const { return corrected_; }
    const OutputRecord& outputRecord() const { return record_; }
    // The first failure of a result file in this run ("" when none); it has been told once.
    const std::string& outputError() const { return results_.error(); }
    // The processing of frames with this source's calibration and settings.
    FrameProcessor processor() const;

protected:
    // Whether this source writes time stamps beside its outputs (the instrument).
    bool writesTimeStamps_ = false;
    // Seconds between forcing the outputs onto the disk; 0: left to the system.
    double outputSyncSeconds_ = 0.0;
    // The common open sequence, run by the sources' open after they opened their
    // input: the calibration, the background and the outputs of request, each asked
    // of questions where the request lacks it (null: a missing file is told).
    // request is kept, completed, as request().  inputPath (when not empty) is never
    // overwritten by an output.
    void runOpenSequence(const OpenRequest& request, OpenQuestions* questions, bool psdAlways,
                         const std::string& inputPath);
    // The answer of a question for a part the request lacks; UserAbort when it is
    // cancelled, or (no questions) after telling what is missing.
    std::string completed(std::optional<std::string>& part, OpenQuestions* questions, const char* what,
                          const std::function<std::optional<std::string>()>& ask);
    // Correction of the raw value array (laserTest as in FrameProcessor::correct).
    // rawDivided: the raw values of a multi-scan recording are divided already, so
    // the auxiliary values take them as they are.
    void correctFrame(double laserTest, bool rawDivided = false);
    // Inversion and output record of the corrected frame.
    void invertFrame();
    // invertFrame, then the .psd record and .asc line when switched on.
    void finishFrame();
    // Record 0 of a .psd file for this source (sets the source's ratio copy).
    std::string psdHeaderRecord();
    void writeLogLine(const std::uint16_t words[kFrameValues]);
    // Appends the frame's .psd record and .asc line, and its .log line when words is
    // given, each only when this source writes that file.  Safe from several threads.
    void formatFrameOutputs(const OutputRecord& record, const std::uint16_t* words, FrameOutputs& out) const;
    void writeFrameOutputs(const FrameOutputs& out);
    // Closes the result files; a failure the system reports only now is told as well.
    void closeOutputs() { results_.close(); }

    ResultFiles results_;
    OpenRequest request_;
    std::string backgroundFileName_;
    std::unique_ptr<CInvPars> calibration_;
    std::vector<FrameSummary> frameSummary_;
    int laserOK_ = 0;
    int calibrationOK_ = 0;
    int firstFrame_ = 0;
    int lastFrame_ = 0;
    int multiScan_ = 0;
    int instrumentNumber_ = 0;
    std::array<double, kFrameValues> raw_{};
    std::array<double, kRings> corrected_{};
    double transmission_ = 1.0;
    double beamAttenuation_ = 0.0;
    OutputRecord record_{};
    long long continuedFrames_ = 0;
    std::string continuationNote_;

    // The frames the open result set holds: the record the next frame becomes.
    long long fileRecords_ = 0;

private:
    void openOutputs(bool psdAlways, const std::string& inputPath, OpenQuestions* questions);
    // Opens every file of paths (after found's check when a cast is continued, each
    // cut to its kept length), or writes the .psd's header and diameters and the time
    // file's header line to a new set.  UserAbort after telling a failure.
    void openResultSet(const std::string (&paths)[ResultFiles::kSlots], const std::string& inputPath,
                       const CastContinuation* found, const std::string& header, const std::string& diameters);
    bool askBeforeReplacing_ = false;
};

}  // namespace kavro
