#pragma once
// File > Build Background Scatter File, without its windows: the desktop program
// passes the verdict window as a callback, kavro-cli passes one that prints the
// verdict.  Both therefore build, judge and write the file the same way.
#include "background/CScatterAccumulator.h"

#include <functional>
#include <string>
#include <vector>

namespace kavro {

class CRawSource;
class Profile;
class Prompter;
class Settings;

// Shows the verdict of an averaged build; true for Accept.
using VerdictStep = std::function<bool(CScatterAccumulator&)>;

enum class BuildResult {
    Abandoned,     // the factory file could not be read, or the raw-file dialog was cancelled
    NoRecords,     // nothing averaged (told)
    Rejected,      // the verdict step answered Cancel
    Accepted,      // written and, when the averages allow, the ratio stored
    AcceptedWithFailure,  // accepted, but the file or the profile could not be written (told)
};

// Where the factory background comes from: the calibration folder unless a path is
// given; inUse: the background files of the windows open (replaced only after a Yes).
BuildResult buildBackgroundFromRawFile(Settings& settings, Profile& profile, Prompter& prompter,
                                       const VerdictStep& verdict, const std::string& factoryPath = {},
                                       const std::vector<std::string>& inUse = {}, std::string* writtenPath = nullptr);

// The Accept step of every build: write the file (never over protectedPath), then,
// only when it was written, update the laser-reference ratio: a cancelled save
// changes no setting.  False when something could not be written (the user has
// been told).
bool acceptBackground(CScatterAccumulator& accumulator, Settings& settings, Profile& profile, Prompter& prompter,
                      const std::string& protectedPath = {}, const std::vector<std::string>& inUse = {});

// FINISH of a live background collection: the multi-scan decision, the average and
// the verdict; on Accept the file is written, the instrument (when given) takes the
// averages as its background, and the laser-reference ratio is updated.
BuildResult finishLiveBackground(CScatterAccumulator& accumulator, CRawSource* instrument, Settings& settings,
                                 Profile& profile, Prompter& prompter, const VerdictStep& verdict,
                                 const std::vector<std::string>& inUse = {});

// What the end of an accumulate-and-average collection gives the window.
struct AveragingResult {
    std::string status;    // the averaging text, for the status box
    int frames = 0;        // frames that went into the average
    bool written = false;  // the average is in every file asked for
};

// The end of an accumulate-and-average collection: the averaged frame is processed
// once by source and written to path (.psd) and/or the .asc beside it.  Nothing is
// processed when no frame came (the message has been shown).
AveragingResult finishAveraging(CScatterAccumulator& accumulator, CRawSource& source, const std::string& path,
                                int writePsd, int writeAsc);

}  // namespace kavro
