#pragma once
// Averages raw frames into a background scatter frame (what the rings read in
// particle-free water), judges it against the factory background and writes it
// as the text file the calibration set reads back.  Also averages live frames
// for the accumulate-and-average window.
#include "core/Constants.h"
#include "core/RawRecord.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kavro {

class Profile;
class Prompter;
class Settings;

class CScatterAccumulator {
public:
    // Reads the factory background of the calibration folder.  Throws UserAbort
    // after "Could not open the factory zero scatter file" when it cannot be read.
    CScatterAccumulator(const Settings& settings, Prompter& prompter);
    // The same with another factory background file.
    CScatterAccumulator(const Settings& settings, Prompter& prompter, const std::string& factoryPath);

    static std::string defaultFactoryPath(const Settings& settings);
    // A record at most this many are taken from a raw file.
    static constexpr int kMaxRawRecords = 100;

    // Reads 40 numbers into the factory values; numbers missing from the file keep
    // the values they had.  1 on success; throws UserAbort after the message when
    // the file cannot be opened (the factory values stay as they were).
    int readFactoryFile(const std::string& path);
    // The "choose another factory file" step of the verdict window: a file dialog,
    // then the file read.  1 when new factory values were read; 0 when the dialog
    // was cancelled, or the file could not be opened or holds fewer than 40
    // numbers (after a message naming the file still in use, which stays).
    int chooseFactoryFile();

    // One frame (the raw words, undivided); ignored once averaged.
    void addFrame(const RawWords& values);
    // The first records of a raw recording, then the multi-scan decision.  Answers
    // the number of records added, or -1 when the file could not be opened (the
    // reason then goes to *error when given).
    int addRawFile(const std::string& path, std::string* error = nullptr);
    // A single record whose laser power word exceeds 4095 is enough: the data are
    // then summed 16-scan data, without asking when AutoMultiScan is on.
    int decideMultiScan();
    // 1 when the sums became averages; 0 (after the message) when no record was added.
    int average();

    // Sums, or averages once averaged; 0.0 outside 0..39.
    double averageValue(int index) const;
    double factoryValue(int index) const;
    const std::array<double, kFrameValues>& averages() const { return sum_; }

    // The verdict of the background window (every line ends "\r\n").
    std::string qualityText() const;
    // The shorter verdict of the averaging window: zero rings, saturation, frames.
    std::string averagingText() const;
    // The factory background's laser power is 100 or less.
    bool factoryIsBad() const;
    // The verdict finds fault: a bad factory file, a weak laser, rings above twice the
    // factory's, or records with zero or saturated rings.
    bool verdictFails() const;

    // Asks for the output file and writes the 40 averages, "%e" one a line.
    // 1 when written, 0 when the dialog was cancelled (or No was answered to replacing
    // a background file in use), -1 after a message when the file is protectedPath
    // (the recording being averaged) or could not be written.
    int writeOutput(const std::string& protectedPath = {}, const std::vector<std::string>& inUse = {});
    // The file the last writeOutput wrote ("" when it wrote none).
    const std::string& writtenPath() const { return writtenPath_; }
    // Writes the averages to path; false with the reason in *error when it fails
    // (the file is then left as it was).
    bool writeTo(const std::string& path, std::string* error) const;
    // Average laser power over average laser reference, when both exceed 100.
    std::optional<double> laserReferenceRatio() const;
    // That ratio, when there is one, becomes the laser-reference ratio in force
    // and is stored in the profile.
    enum class RatioUpdate { Unchanged, Stored, StoreFailed };
    RatioUpdate updateLaserReferenceRatio(Settings& settings, Profile& profile) const;

    int recordCount() const { return recordCount_; }
    int zeroRingRecords() const { return zeroRingRecords_; }
    int saturatedRecords() const { return saturatedRecords_; }
    int multiScanRecords() const { return multiScanRecords_; }
    int finished() const { return finished_; }
    int multiScan() const { return multiScan_; }
    int factoryRead() const { return factoryRead_; }
    const std::string& factoryPath() const { return factoryPath_; }

private:
    std::array<double, kFrameValues> sum_{};
    std::string writtenPath_;
    int multiScanRecords_ = 0;
    int zeroRingRecords_ = 0;
    int saturatedRecords_ = 0;
    int recordCount_ = 0;
    int finished_ = 0;
    int multiScan_ = 0;
    int factoryRead_ = 0;
    std::array<double, kFrameValues> factory_{};
    std::string factoryPath_;
    const Settings& settings_;
    Prompter& prompter_;
};

}  // namespace kavro
