#pragma once
// The eight auxiliary (housekeeping) channels of a frame with their calibration
// constants, and the settings operations that store them.
#include "auxiliary/HKChannel.h"

#include <array>
#include <string>

namespace kavro {

class Profile;

inline constexpr int kAuxChannels = 8;
// The settings section of an instrument: "Instrument" followed by its number.
std::string instrumentSection(int instrument);
// The program has one instrument, number 1.
inline constexpr int kInstrumentNumber = 1;
inline constexpr double kDefaultVolConv = 58000.0;

class CHKInfo {
public:
    // Defaults, then whatever the profile holds for instrument 1 (none: defaults only).
    explicit CHKInfo(const Profile* profile = nullptr);

    void SetDefaults();
    // Channel k's label, units, multiplier and offset from the instrument's section.
    // A missing key keeps the current value; a multiplier or offset that does not
    // start with a number is ignored; an empty label or units text is taken as it is.
    void Load(const Profile& profile, int instrument, int k);
    // SetDefaults, then Load(1, k) for every channel.
    void Reload(const Profile& profile);
    // Channel k, or null outside 0..7.
    HKChannel* Channel(int k);
    const HKChannel* Channel(int k) const;

private:
    std::array<HKChannel, kAuxChannels> channels_;
};

// Writes channel k's four keys (multiplier and offset as "%g").  False when the
// profile could not be written.
bool WriteChannelCalibration(Profile& profile, int instrument, int k, const std::string& label,
                             const std::string& units, double multiplier, double offset);
// The volume conversion constant of an instrument; 58000 when missing, empty or not a number.
double GetVolConv(const Profile& profile, int instrument);
bool SetVolConv(Profile& profile, int instrument, double value);

// Which channels the auxiliary graph plots: eight flags that live for the run only.
class DisplaySelection {
public:
    DisplaySelection();
    int IsShown(int k) const;
    // Sets channel k's flag; answers the previous one (0 outside 0..7).
    int SetShown(int k, int flag);
    static const char* ShownLabel(int k);
    // Trace colour of channel k as 0xRRGGBB.
    static unsigned Colour(int k);

private:
    std::array<int, kAuxChannels> shown_;
};

}  // namespace kavro
