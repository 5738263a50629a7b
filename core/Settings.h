#pragma once
// The program-wide settings: loaded once from the settings profile at start-up,
// handed to everything that needs them, and written back key by key by the dialogs
// that change them.  Also the program-wide state that is never stored (output
// switches, the auxiliary display selection, the last chosen model).
#include "auxiliary/CHKInfo.h"
#include "core/OutputSwitches.h"
#include "platform/SerialDevices.h"

#include <array>
#include <string>
#include <vector>

namespace kavro {

class Profile;

inline constexpr const char* kSectionDirectories = "Directories";
inline constexpr const char* kSectionCommunications = "Communications";
inline constexpr const char* kSectionMiscellaneous = "Miscellaneous";

class Settings {
public:
    // Directories
    std::string calFiles;     // calibration directory in force (the executable's when the key is empty)
    int pdFirst = 0;          // look for the background file beside the raw file first
    std::string dataFiles;    // folder the instrument's recordings are proposed in ("" = the user's documents)
    // Communications
    std::string instrumentPort = "COM2:";
    std::array<std::string, 4> comDevice = {defaultSerialDevice(0), defaultSerialDevice(1), defaultSerialDevice(2),
                                            defaultSerialDevice(3)};
    std::array<bool, 4> comDeviceStored{};  // the profile (or an option) names the port's device
    int baudRate = 9600;
    // Miscellaneous
    double lRefRatio = 2.0;
    int autoMultiScan = 1;
    int showMean = 0;
    int showStdDev = 0;
    std::string header = "Orvandel (KAVRO)";
    std::string footer = "Tolvane";
    int numIterations = 50;
    int procOpt1 = 0;
    char startChar = '{';
    char endChar = '}';
    int commWait = 5;

    // Never stored.
    int instrumentNumber = kInstrumentNumber;
    int lastSelectedModel = 0;
    OutputSwitchBlock outputs;
    DisplaySelection display;
    std::string executableDirectory;

    // Fills every setting from the profile; a missing key, or a number that does
    // not parse, keeps the default.
    void load(const Profile& profile, const std::string& executableDir);

    // One setting as loaded, for reports: where its value came from.
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
        bool fromProfile;
    };
    const std::vector<Entry>& entries() const { return entries_; }

    // The writes of the dialogs.  Each writes the profile and sets what the dialog
    // sets; false when the profile could not be written (profile.lastError() says why).
    bool acceptDisplayParameters(Profile& profile, int newShowMean, int newShowStdDev,
                                 const std::string& headerText, const std::string& footerText);
    bool acceptLocations(Profile& profile, const std::string& directoryText, int lookBesideRawFile);
    // "DataFiles": the folder new recordings are proposed in; "" for the user's documents.
    bool acceptDataFolder(Profile& profile, const std::string& folderText);
    bool acceptInstrumentPort(Profile& profile, int portIndex);
    bool acceptInstrumentModel(Profile& profile, int model);
    // "COMnDevice": the device of port 0..3, in force at once.
    bool acceptComDevice(Profile& profile, int portIndex, const std::string& device);

    // The device port 0..3 opens.  A port the profile says nothing about uses its
    // default, or, when that does not exist, the only USB serial adapter plugged in.
    std::string instrumentDevice(int portIndex) const;
    std::array<std::string, 4> instrumentDevices() const;
    bool storeLRefRatio(Profile& profile, double ratio);

    // The model the port and model dialogs preselect: "InstrumentModel" of the
    // instrument's section, the run's last choice when missing.
    int storedInstrumentModel(const Profile& profile) const;
    // Index 0..3 of a port text "COM1:".."COM4:"; -1 for any other text.
    static int portIndexOf(const std::string& port);
    static std::string portName(int index);

private:
    std::vector<Entry> entries_;
};

}  // namespace kavro
