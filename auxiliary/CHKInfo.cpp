#include "auxiliary/CHKInfo.h"

#include "platform/NumText.h"
#include "platform/Profile.h"
#include "resources/AuxTexts.h"

namespace kavro {
namespace {

constexpr double kDefaultMultiplier[kAuxChannels] = {0.0012, 0.005017, 0.001220703125, 0.003,
                                                     0.0536, 0.01,     1.0,            1.0};
// Channel 2 is drawn in purple: pure green on the graph's white could hardly be seen.
constexpr unsigned kColour[kAuxChannels] = {0x000000, 0xFF0000, 0xC000C0, 0x0000FF,
                                            0x808080, 0x800000, 0x008000, 0x000080};
constexpr int kDefaultShown[kAuxChannels] = {1, 1, 0, 0, 1, 0, 0, 0};

std::string keyPrefix(int k)
{
    return "HK" + std::to_string(k);
}

}  // namespace

std::string instrumentSection(int instrument)
{
    return "Instrument" + std::to_string(instrument);
}

CHKInfo::CHKInfo(const Profile* profile)
{
    SetDefaults();
    if (profile)
        for (int k = 0; k < kAuxChannels; ++k)
            Load(*profile, kInstrumentNumber, k);
}

void CHKInfo::SetDefaults()
{
    for (int k = 0; k < kAuxChannels; ++k) {
        HKChannel& c = channels_[static_cast<std::size_t>(k)];
        c.label = text::kChannelLabel[k];
        c.units = text::kChannelUnits[k];
        c.multiplier = kDefaultMultiplier[k];
        c.offset = 0.0;
    }
}

void CHKInfo::Load(const Profile& profile, int instrument, int k)
{
    HKChannel* c = Channel(k);
    if (!c)
        return;
    const std::string section = instrumentSection(instrument);
    const std::string prefix = keyPrefix(k);
    c->label = profile.readString(section, prefix + "Label", c->label);
    c->units = profile.readString(section, prefix + "Units", c->units);
    if (auto v = scanOneDouble(profile.readString(section, prefix + "Scale", "")))
        c->multiplier = *v;
    if (auto v = scanOneDouble(profile.readString(section, prefix + "Off", "")))
        c->offset = *v;
}

void CHKInfo::Reload(const Profile& profile)
{
    SetDefaults();
    for (int k = 0; k < kAuxChannels; ++k)
        Load(profile, kInstrumentNumber, k);
}

HKChannel* CHKInfo::Channel(int k)
{
    return k >= 0 && k < kAuxChannels ? &channels_[static_cast<std::size_t>(k)] : nullptr;
}

const HKChannel* CHKInfo::Channel(int k) const
{
    return k >= 0 && k < kAuxChannels ? &channels_[static_cast<std::size_t>(k)] : nullptr;
}

bool WriteChannelCalibration(Profile& profile, int instrument, int k, const std::string& label,
                             const std::string& units, double multiplier, double offset)
{
    const std::string section = instrumentSection(instrument);
    const std::string prefix = keyPrefix(k);
    bool ok = profile.writeString(section, prefix + "Label", label);
    ok = profile.writeString(section, prefix + "Units", units) && ok;
    ok = profile.writeString(section, prefix + "Scale", formatG(multiplier)) && ok;
    ok = profile.writeString(section, prefix + "Off", formatG(offset)) && ok;
    return ok;
}

double GetVolConv(const Profile& profile, int instrument)
{
    auto v = scanOneDouble(profile.readString(instrumentSection(instrument), "VolConv", ""));
    return v ? *v : kDefaultVolConv;
}

bool SetVolConv(Profile& profile, int instrument, double value)
{
    return profile.writeString(instrumentSection(instrument), "VolConv", formatG(value));
}

DisplaySelection::DisplaySelection()
{
    for (int k = 0; k < kAuxChannels; ++k)
        shown_[static_cast<std::size_t>(k)] = kDefaultShown[k];
}

int DisplaySelection::IsShown(int k) const
{
    return k >= 0 && k < kAuxChannels ? shown_[static_cast<std::size_t>(k)] : 0;
}

int DisplaySelection::SetShown(int k, int flag)
{
    if (k < 0 || k >= kAuxChannels)
        return 0;
    int previous = shown_[static_cast<std::size_t>(k)];
    shown_[static_cast<std::size_t>(k)] = flag ? 1 : 0;
    return previous;
}

const char* DisplaySelection::ShownLabel(int k)
{
    return k >= 0 && k < kAuxChannels ? text::kShownLabel[k] : "";
}

unsigned DisplaySelection::Colour(int k)
{
    return k >= 0 && k < kAuxChannels ? kColour[k] : 0u;
}

}  // namespace kavro
