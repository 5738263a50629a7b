#include "core/Settings.h"

#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/SerialDevices.h"

namespace kavro {
namespace {

std::string charText(char c)
{
    return c ? std::string(1, c) : std::string();
}

}  // namespace

void Settings::load(const Profile& profile, const std::string& executableDir)
{
    entries_.clear();
    executableDirectory = executableDir;
    auto note = [&](const char* section, const std::string& key, const std::string& value) {
        entries_.push_back(Entry{section, key, value, profile.hasKey(section, key)});
    };
    auto readInt = [&](const char* section, const char* key, int& target) {
        target = profile.readInt(section, key, target);
        note(section, key, std::to_string(target));
    };
    auto readText = [&](const char* section, const char* key, std::string& target) {
        target = profile.readString(section, key, target);
        note(section, key, target);
    };

    std::string cal = profile.readString(kSectionDirectories, "CalFiles", "");
    calFiles = cal.empty() ? executableDir : cal;
    entries_.push_back(Entry{kSectionDirectories, "CalFiles", calFiles, !cal.empty()});
    readInt(kSectionDirectories, "PDFirst", pdFirst);
    readText(kSectionDirectories, "DataFiles", dataFiles);
    readText(kSectionCommunications, "InstrumentPort", instrumentPort);
    for (int i = 0; i < 4; ++i) {
        std::string key = "COM" + std::to_string(i + 1) + "Device";
        std::string& device = comDevice[static_cast<std::size_t>(i)];
        device = profile.readString(kSectionCommunications, key, device);
        comDeviceStored[static_cast<std::size_t>(i)] = profile.hasKey(kSectionCommunications, key);
        note(kSectionCommunications, key, device);
    }
    readInt(kSectionCommunications, "BaudRate", baudRate);

    auto ratio = scanOneDouble(profile.readString(kSectionMiscellaneous, "LRefRatio", ""));
    if (ratio)
        lRefRatio = *ratio;
    entries_.push_back(Entry{kSectionMiscellaneous, "LRefRatio", formatG(lRefRatio), ratio.has_value()});

    readInt(kSectionMiscellaneous, "AutoMultiScan", autoMultiScan);
    readInt(kSectionMiscellaneous, "ShowMean", showMean);
    readInt(kSectionMiscellaneous, "ShowStdDev", showStdDev);
    readText(kSectionMiscellaneous, "Header", header);
    readText(kSectionMiscellaneous, "Footer", footer);
    readInt(kSectionMiscellaneous, "NumIterations", numIterations);
    readInt(kSectionMiscellaneous, "ProcOpt1", procOpt1);
    std::string start = profile.readString(kSectionMiscellaneous, "StartChar", charText(startChar));
    startChar = start.empty() ? '\0' : start.front();
    note(kSectionMiscellaneous, "StartChar", charText(startChar));
    std::string end = profile.readString(kSectionMiscellaneous, "EndChar", charText(endChar));
    endChar = end.empty() ? '\0' : end.front();
    note(kSectionMiscellaneous, "EndChar", charText(endChar));
    readInt(kSectionMiscellaneous, "CommWait", commWait);

    std::string section = instrumentSection(instrumentNumber);
    int model = profile.readInt(section, "InstrumentModel", lastSelectedModel);
    note(section.c_str(), "InstrumentModel", std::to_string(model));
    note(section.c_str(), "VolConv", formatG(GetVolConv(profile, instrumentNumber)));
}

bool Settings::acceptDisplayParameters(Profile& profile, int newShowMean, int newShowStdDev,
                                       const std::string& headerText, const std::string& footerText)
{
    bool ok = profile.writeString(kSectionMiscellaneous, "ShowMean", std::to_string(newShowMean));
    ok = profile.writeString(kSectionMiscellaneous, "ShowStdDev", std::to_string(newShowStdDev)) && ok;
    ok = profile.writeString(kSectionMiscellaneous, "Header", headerText) && ok;
    ok = profile.writeString(kSectionMiscellaneous, "Footer", footerText) && ok;
    // Header and footer in force stay as loaded: views opened later in this run show
    // the start-up texts, the next run the new ones.
    showMean = newShowMean;
    showStdDev = newShowStdDev;
    return ok;
}

bool Settings::acceptLocations(Profile& profile, const std::string& directoryText, int lookBesideRawFile)
{
    bool ok = profile.writeString(kSectionDirectories, "CalFiles", directoryText);
    ok = profile.writeString(kSectionDirectories, "PDFirst", std::to_string(lookBesideRawFile)) && ok;
    calFiles = directoryText.empty() ? executableDirectory : directoryText;
    pdFirst = lookBesideRawFile;
    return ok;
}

bool Settings::acceptDataFolder(Profile& profile, const std::string& folderText)
{
    dataFiles = folderText;
    return profile.writeString(kSectionDirectories, "DataFiles", folderText);
}

bool Settings::acceptInstrumentPort(Profile& profile, int portIndex)
{
    instrumentPort = portName(portIndex);
    return profile.writeString(kSectionCommunications, "InstrumentPort", instrumentPort);
}

bool Settings::acceptInstrumentModel(Profile& profile, int model)
{
    lastSelectedModel = model;
    return profile.writeString(instrumentSection(instrumentNumber), "InstrumentModel", std::to_string(model));
}

bool Settings::acceptComDevice(Profile& profile, int portIndex, const std::string& device)
{
    if (portIndex < 0 || portIndex > 3)
        return true;
    const auto i = static_cast<std::size_t>(portIndex);
    comDevice[i] = device;
    comDeviceStored[i] = true;
    return profile.writeString(kSectionCommunications, "COM" + std::to_string(portIndex + 1) + "Device", device);
}

std::string Settings::instrumentDevice(int portIndex) const
{
    if (portIndex < 0 || portIndex > 3)
        return std::string();
    const auto i = static_cast<std::size_t>(portIndex);
    // Only the built-in default gives way: a device set by a run of its own stays.
    const bool byDefault = !comDeviceStored[i] && comDevice[i] == defaultSerialDevice(portIndex);
    return byDefault ? presentDeviceOr(comDevice[i]) : comDevice[i];
}

std::array<std::string, 4> Settings::instrumentDevices() const
{
    return {instrumentDevice(0), instrumentDevice(1), instrumentDevice(2), instrumentDevice(3)};
}

bool Settings::storeLRefRatio(Profile& profile, double ratio)
{
    lRefRatio = ratio;
    return profile.writeString(kSectionMiscellaneous, "LRefRatio", formatG(ratio));
}

int Settings::storedInstrumentModel(const Profile& profile) const
{
    return profile.readInt(instrumentSection(instrumentNumber), "InstrumentModel", lastSelectedModel);
}

int Settings::portIndexOf(const std::string& port)
{
    for (int i = 0; i < 4; ++i)
        if (port == portName(i))
            return i;
    return -1;
}

std::string Settings::portName(int index)
{
    if (index < 0 || index > 3)
        index = 1;
    return "COM" + std::to_string(index + 1) + ":";
}

}  // namespace kavro
