#pragma once
// The base of the two sources of raw frames (a raw recording and the instrument):
// the raw value array, the calibration set, the correction and inversion of each
// frame, and the result files.
#include "core/CDataSource.h"
#include "core/CInvPars.h"
#include "core/FrameProcessor.h"
#include "platform/OutputFile.h"
#include "core/OutputRecord.h"
#include "core/TimeStamps.h"

#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <vector>

namespace kavro {

// One entry per record of a raw recording, made when it opens: its auxiliary words
// and ring counts, for the auxiliary graph.
struct FrameSummary {
    std::uint16_t aux[kAux] = {};
    std::int32_t zeroRings = 0;
    std::int32_t saturatedRings = 0;
};

// What one frame or a block of frames adds to each result file, so that a block
// goes to every file in one write.
struct FrameOutputs {
    std::string psd, asc, log;
};

class CRawSource : public CDataSource {
public:
    CRawSource(SourceContext context, SourceOwner* owner);
    ~CRawSource() override;

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
    bool writesTo(const std::string& path) const;

    // The result files this source writes (.psd, .asc, .log, .time.csv, those that
    // are open), and whether there is any: frames that go to no file are shown only.
    std::vector<std::string> outputPaths() const;
    bool recording() const { return !outputPaths().empty(); }
    // The first of paths that names the same file as one before it ("" when none):
    // a .psd called "run.asc" beside an .asc output would be written twice over.
    static std::string repeatedOutput(const std::vector<std::string>& paths);
    // Whether the open sequence replaces result files that exist already (the
    // default: the save dialog asked) or refuses them with a message naming the file.
    void setReplaceOutputs(bool replace) { replaceOutputs_ = replace; }
    // The desktop program: the files that go beside the chosen .psd (.asc, .log, the
    // time stamps), which its save dialog did not ask about, are replaced only when
    // the user says so; No abandons the open before anything is written.
    void setAskBeforeReplacing(bool ask) { askBeforeReplacing_ = ask; }
    // Runs in the open sequence once the calibration and background are in, before the
    // outputs are chosen: the desktop program asks there whether to record (it may
    // propose the outputs, or throw UserAbort).
    void setOutputsQuestion(std::function<void(CRawSource&)> ask) { outputsQuestion_ = std::move(ask); }

    // Steps of the open sequence, each throwing UserAbort to abandon the open.
    int selectBackground();
    void choosePsdOutput(std::string& path);
    void openPsdOutput(const std::string& path);
    void openAscOutput(const std::string& basePath);
    void openLogOutput(const std::string& basePath);
    // "<name>.time.csv" beside the outputs named after basePath, with its header line.
    void openTimeStampOutput(const std::string& basePath);
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
    const std::string& outputError() const { return outputError_; }
    // The processing of frames with this source's calibration and settings.
    FrameProcessor processor() const;

protected:
    // Whether this source writes time stamps beside its outputs (the instrument).
    bool writesTimeStamps_ = false;
    // Seconds between forcing the outputs onto the disk; 0: left to the system.
    double outputSyncSeconds_ = 0.0;
    // The common open sequence, run by the sources' open after they opened their input.
    // inputPath (when not empty) is never overwritten by an output.
    void runOpenSequence(bool psdAlways, const std::string& inputPath);
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
    // The time-stamp line of the .psd record `record` (when that file is open).
    void writeTimeStamp(long long record, UtcTime time);
    // One live frame to every open output at once: its .psd record, .asc and .log
    // lines and its time stamp (its .psd record from 0, at time).  When one file fails, the frame
    // is cut back from the others, the failure is told with the number of frames
    // every file holds, and no output is written to again: every file ends with the
    // same frame.  True when the frame is in every open output.
    bool writeFrameTogether(const FrameOutputs& out, long long record, UtcTime time);
    // True once writeFrameTogether stopped the outputs.
    bool outputsStopped() const { return outputsStopped_; }
    // Appends the frame's .psd record and .asc line, and its .log line when words is
    // given, each only when this source writes that file.  Safe from several threads.
    void formatFrameOutputs(const OutputRecord& record, const std::uint16_t* words, FrameOutputs& out) const;
    void writeFrameOutputs(const FrameOutputs& out);
    // The two halves of writeFrameOutputs: the writing, which tells nobody (so it may
    // run on a thread of its own while frames are formatted), and the telling of the
    // first failure.
    void appendFrameOutputs(const FrameOutputs& out);
    void tellOutputFailures();
    // Closes the result files; a failure the system reports only now is told as well.
    void closeOutputs();
    // Writes the bytes; tells the first failure once.
    void writeOutput(OutputFile& file, std::string_view bytes);
    void tellOutputFailure(const OutputFile& file);

    OutputFile logOutput_;
    OutputFile psdOutput_;
    OutputFile ascOutput_;
    OutputFile timeOutput_;
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
    std::string outputError_;
    bool outputsStopped_ = false;

private:
    void createOutput(OutputFile& file, const std::string& path);
    std::string inputPath_;
    bool replaceOutputs_ = true;
    bool askBeforeReplacing_ = false;
    std::function<void(CRawSource&)> outputsQuestion_;
    // Asks once about those of paths that exist; UserAbort when the answer is No.
    void confirmReplacing(const std::vector<std::string>& paths);
};

}  // namespace kavro
