#include "products/CastNetcdfSchema.h"

#include "products/CfConventions.h"
#include "products/ProfileBinning.h"

#include <cstring>

namespace kavro::ncschema {
namespace {

using T = NetcdfFile::Type;
constexpr std::array<Dim, 2> kFrame{Dim::Frame, Dim::Frame};
constexpr std::array<Dim, 2> kFrameClass{Dim::Frame, Dim::SizeClass};
constexpr std::array<Dim, 2> kFrameAngle{Dim::Frame, Dim::Angle};

constexpr Attribute kLongName{Value::LongName};
constexpr Attribute kUnits{Value::Units};
constexpr Attribute kFill{Value::FillValue};
constexpr Attribute kCoordinates{Value::Coordinates, nullptr, nullptr, true};
constexpr Attribute text(const char* name, const char* value, bool late = false)
{
    return {Value::Text, name, value, late};
}
// The quality flags say which frames a data value may be trusted for.
constexpr Attribute kAncillary = text("ancillary_variables", text::kFieldFlag.variable, true);

// A float quantity over frames: its fill, names, units and flags; bin: what the
// profile file of a cruise holds of it.
constexpr Variable frameFloat(const text::DataField& field, int bin = kNotBinned)
{
    return {&field, T::Float, kFrame, 1, When::Always, true, {kFill, kLongName, kUnits, kCoordinates, kAncillary}, bin};
}
constexpr Variable classFloat(const text::DataField& field)
{
    return {&field, T::Float, kFrameClass, 2, When::Always, true, {kFill, kLongName, kUnits, kCoordinates, kAncillary},
            kBinVolume};
}

}  // namespace

const std::vector<Variable>& frameVariables()
{
    static const std::vector<Variable> table = {
        {&text::kFieldFrame, T::Int, kFrame, 1, When::Always, true, {kLongName, kUnits}},
        // Whole milliseconds as integers since midnight of the cast's first day:
        // readers that turn them into nanoseconds through a double (xarray does)
        // stay exact for months, where milliseconds since 1970 would be off by tens
        // of nanoseconds.  No axis attribute: time is an auxiliary coordinate of the
        // frame dimension.
        {&text::kFieldTime, T::Int64, kFrame, 1, When::WithTimes, true,
         {kFill, kLongName, kUnits, {Value::TimeUnits, "units"}, text("standard_name", cf::kTime),
          text("calendar", "standard")}},
        {&text::kFieldDiameter, T::Float, {Dim::SizeClass}, 1, When::Always, false,
         {kLongName, kUnits, text("bounds", text::kFieldDiameterBounds.variable)}},
        {&text::kFieldDiameterBounds, T::Float, {Dim::SizeClass, Dim::Bounds}, 2, When::Always, false, {kUnits}},
        {&text::kFieldAngle, T::Float, {Dim::Angle}, 1, When::WithVsf, false,
         {kLongName, kUnits, text("standard_name", cf::kScatteringAngle),
          text("bounds", text::kFieldAngleBounds.variable)}},
        {&text::kFieldAngleBounds, T::Float, {Dim::Angle, Dim::Bounds}, 2, When::WithVsf, false, {kUnits}},
        classFloat(text::kFieldVolume),
        // The distributions of the volume per class, from the class diameters and bounds.
        classFloat(text::kFieldNumberDistribution),
        classFloat(text::kFieldVolumeDistribution),
        frameFloat(text::kFieldTotal, kBinTotal),
        frameFloat(text::kFieldMean, kBinMean),
        frameFloat(text::kFieldStdDev),
        frameFloat(text::kFieldD10, kBinD10),
        frameFloat(text::kFieldD50, kBinD50),
        frameFloat(text::kFieldD90, kBinD90),
        frameFloat(text::kFieldModeDiameter),
        {&text::kFieldModeClass, T::Short, kFrame, 1, When::Always, true,
         {kFill, {Value::ValidClassRange, "valid_range"}, kLongName, kUnits, kCoordinates, kAncillary}},
        frameFloat(text::kFieldSlope, kBinJunge),
        frameFloat(text::kFieldTransmission, kBinTransmission),
        {&text::kFieldBeamC, T::Float, kFrame, 1, When::Always, true,
         {kFill, kLongName, kUnits, text("standard_name", cf::kBeamAttenuation, true), kCoordinates, kAncillary},
         kBinBeamAttenuation},
        // The function itself (the .psd keeps its log10); frames without laser light are fill.
        {&text::kFieldVsf, T::Float, kFrameAngle, 2, When::WithVsf, true,
         {kFill, kLongName, kUnits, text("standard_name", cf::kVolumeScatteringFunction, true), kCoordinates,
          kAncillary}},
        {&text::kFieldZeroRings, T::Short, kFrame, 1, When::Always, true, {kLongName, kUnits, kCoordinates}},
        {&text::kFieldSaturatedRings, T::Short, kFrame, 1, When::Always, true, {kLongName, kUnits, kCoordinates}},
        {&text::kFieldFlag, T::UByte, kFrame, 1, When::Always, true,
         {kLongName, kUnits, text("standard_name", cf::kStatusFlag), {Value::FlagMasks, "flag_masks"},
          {Value::FlagMeanings, "flag_meanings"}, kCoordinates}},
    };
    return table;
}

const std::vector<Variable>& placeVariables()
{
    static const std::vector<Variable> table = {
        // The profile the file is, as a discrete sampling geometry.
        {&text::kFieldCast, T::Char, {Dim::CastLength}, 1, When::WithPlace, false,
         {kLongName, text("_Encoding", "utf-8"), text("cf_role", "profile_id")}},
        {&text::kFieldStation, T::Char, {Dim::StationLength}, 1, When::WithPlace, false,
         {kLongName, text("_Encoding", "utf-8")}},
        {&text::kFieldLatitude, T::Double, {}, 0, When::WithPlace, false,
         {kFill, text("standard_name", "latitude"), kLongName, kUnits}},
        {&text::kFieldLongitude, T::Double, {}, 0, When::WithPlace, false,
         {kFill, text("standard_name", "longitude"), kLongName, kUnits}},
    };
    return table;
}

const std::vector<Variable>& ctdVariables()
{
    static const std::vector<Variable> table = {
        {&text::kFieldCtdPressure, T::Float, kFrame, 1, When::WithCtd, true,
         {kFill, text("standard_name", cf::kSeaWaterPressure), kLongName, kUnits, kCoordinates},
         kBinCtdPressure},
        {&text::kFieldCtdTemperature, T::Float, kFrame, 1, When::WithCtd, true,
         {kFill, text("standard_name", cf::kSeaWaterTemperature), kLongName, kUnits, kCoordinates},
         kBinCtdTemperature},
        {&text::kFieldCtdSalinity, T::Float, kFrame, 1, When::WithCtd, true,
         {kFill, text("standard_name", cf::kSeaWaterPracticalSalinity), kLongName, kUnits, kCoordinates},
         kBinCtdSalinity},
        {&text::kFieldCtdDepth, T::Float, kFrame, 1, When::WithCtd, true,
         {kFill, text("standard_name", cf::kDepth), kLongName, kUnits, text("positive", "down"), kCoordinates}},
    };
    return table;
}

const char* Variable::textOf(const char* attribute) const
{
    for (const Attribute& a : attributes)
        if (a.value == Value::Text && std::strcmp(a.name, attribute) == 0)
            return a.text;
    return "";
}

std::set<std::string> reservedNames()
{
    std::set<std::string> names;
    for (const auto* table : {&frameVariables(), &placeVariables()})
        for (const Variable& v : *table)
            names.insert(v.name());
    return names;
}

const Variable* findVariable(const std::string& name)
{
    for (const auto* table : {&frameVariables(), &placeVariables()})
        for (const Variable& v : *table)
            if (name == v.name())
                return &v;
    return nullptr;
}

}  // namespace kavro::ncschema
