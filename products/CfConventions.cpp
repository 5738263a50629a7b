#include "products/CfConventions.h"

#include "platform/NumText.h"
#include "platform/Sha256.h"
#include "platform/System.h"

#ifdef KAVRO_UDUNITS
#include <udunits2.h>
#endif

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <mutex>

namespace kavro {
namespace {

#ifdef KAVRO_UDUNITS
// The unit system, loaded once; null when the database cannot be read.  The
// library is not thread-safe, so every use holds the lock.
struct UnitSystem {
    ut_system* system = nullptr;
    std::mutex mutex;
    UnitSystem()
    {
        ut_set_error_message_handler(ut_ignore);  // failures are answered, never printed
        system = ut_read_xml(nullptr);
    }
    ~UnitSystem()
    {
        if (system)
            ut_free_system(system);
    }
};

UnitSystem& unitSystem()
{
    static UnitSystem units;
    return units;
}

struct UnitFree {
    void operator()(ut_unit* u) const { ut_free(u); }
};
using Unit = std::unique_ptr<ut_unit, UnitFree>;

Unit parse(ut_system* system, const std::string& text)
{
    // A unit text is ASCII; the parser reads only up to the first NUL.
    if (text.find('\0') != std::string::npos)
        return nullptr;
    return Unit(ut_parse(system, text.c_str(), UT_ASCII));
}
#endif

}  // namespace

std::optional<double> sourceDateEpoch(const char* value)
{
    if (!value)
        return std::nullopt;
    const char* p = value;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return std::nullopt;
    char* end = nullptr;
    const unsigned long long seconds = std::strtoull(p, &end, 10);
    while (*end == ' ' || *end == '\t' || *end == '\n')
        ++end;
    // Beyond year 9999 the ISO 8601 text of the time would not be four digits.
    if (*end != '\0' || seconds > 253402300799ULL)
        return std::nullopt;
    return static_cast<double>(seconds);
}

double creationTimeUtc()
{
    const std::optional<std::string> epoch = environmentVariable("SOURCE_DATE_EPOCH");
    if (const std::optional<double> fixed = sourceDateEpoch(epoch ? epoch->c_str() : nullptr))
        return *fixed;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

bool isComputedAttribute(const std::string& name)
{
    static const std::set<std::string> computed = {
        "Conventions", "featureType", "cdm_data_type", "date_created", "history", "source",
        "standard_name_vocabulary", "time_coverage_start", "time_coverage_end", "time_coverage_duration",
        "time_coverage_resolution", "geospatial_bounds", "geospatial_bounds_crs", "geospatial_lat_min",
        "geospatial_lat_max", "geospatial_lat_units", "geospatial_lon_min", "geospatial_lon_max",
        "geospatial_lon_units", "geospatial_vertical_min", "geospatial_vertical_max", "geospatial_vertical_units",
        "geospatial_vertical_positive", "instrument", "instrument_model", "depth_bin_size", "binning_method",
        "source_file", "source_file_sha256", "size_range_um", "laser_reference_ratio", "calibration_folder",
        "calibration_files_sha256", "calibration_check", "background_file", "background_file_sha256",
        "settings_comment", "cast"};
    return computed.count(name) > 0 || name.starts_with("setting_");
}

namespace {

bool gives(const std::vector<std::pair<std::string, std::string>>& attributes, const std::string& name)
{
    return std::any_of(attributes.begin(), attributes.end(), [&](const auto& a) {
        return a.first == name && a.second.find_first_not_of(" \t") != std::string::npos;
    });
}

std::vector<std::string> notGiven(const std::vector<std::pair<std::string, std::string>>& attributes,
                                  const std::vector<std::string>& names)
{
    std::vector<std::string> missing;
    for (const std::string& name : names)
        if (!gives(attributes, name))
            missing.push_back(name);
    return missing;
}

}  // namespace

std::vector<std::string> missingDiscoveryAttributes(const std::vector<std::pair<std::string, std::string>>& attributes)
{
    return notGiven(attributes, {"title", "summary", "keywords"});
}

std::vector<std::string> missingArchiveAttributes(const std::vector<std::pair<std::string, std::string>>& attributes)
{
    std::vector<std::string> names = {"creator_name", "creator_email", "institution", "license", "naming_authority",
                                      "platform"};
    if (gives(attributes, "keywords"))
        names.push_back("keywords_vocabulary");
    return notGiven(attributes, names);
}

std::string fileUuid(const std::string& seed)
{
    std::string hex = sha256Hex(seed).substr(0, 32);
    hex[12] = '8';  // version 8: made by the program's own rule
    static const char kVariant[] = "89ab";
    const int nibble = std::isdigit(static_cast<unsigned char>(hex[16])) ? hex[16] - '0' : hex[16] - 'a' + 10;
    hex[16] = kVariant[nibble & 3];  // variant 10
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" + hex.substr(16, 4) + "-" +
           hex.substr(20);
}

std::string isoDuration(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0)
        return "";
    long long ms = std::llround(seconds * 1000.0);
    const long long days = ms / 86400000;
    ms -= days * 86400000;
    const long long hours = ms / 3600000;
    ms -= hours * 3600000;
    const long long minutes = ms / 60000;
    ms -= minutes * 60000;
    std::string out = "P";
    if (days)
        out += std::to_string(days) + "D";
    if (hours || minutes || ms || !days)
        out += "T";
    if (hours)
        out += std::to_string(hours) + "H";
    if (minutes)
        out += std::to_string(minutes) + "M";
    if (ms || (!days && !hours && !minutes))
        out += formatG(static_cast<double>(ms) / 1000.0, 15) + "S";
    return out;
}

double medianStep(std::vector<double> times)
{
    if (times.size() < 2)
        return std::numeric_limits<double>::quiet_NaN();
    std::vector<double> steps(times.size() - 1);
    for (std::size_t i = 1; i < times.size(); ++i)
        steps[i - 1] = times[i] - times[i - 1];
    const std::size_t mid = steps.size() / 2;
    std::nth_element(steps.begin(), steps.begin() + static_cast<long>(mid), steps.end());
    return steps[mid];
}

std::string wktBounds(const std::vector<std::pair<double, double>>& positions)
{
    double latMin = INFINITY, latMax = -INFINITY, lonMin = INFINITY, lonMax = -INFINITY;
    for (const auto& [lat, lon] : positions)
        if (std::isfinite(lat) && std::isfinite(lon)) {
            latMin = std::min(latMin, lat);
            latMax = std::max(latMax, lat);
            lonMin = std::min(lonMin, lon);
            lonMax = std::max(lonMax, lon);
        }
    if (!std::isfinite(latMin))
        return "";
    auto point = [](double lat, double lon) { return formatG(lat, 10) + " " + formatG(lon, 10); };
    if (latMin == latMax && lonMin == lonMax)
        return "POINT (" + point(latMin, lonMin) + ")";
    if (latMin == latMax || lonMin == lonMax)
        return "LINESTRING (" + point(latMin, lonMin) + ", " + point(latMax, lonMax) + ")";
    return "POLYGON ((" + point(latMin, lonMin) + ", " + point(latMax, lonMin) + ", " + point(latMax, lonMax) + ", " +
           point(latMin, lonMax) + ", " + point(latMin, lonMin) + "))";
}

std::string pressureStandardName(const std::string& units)
{
    // Without the units database (a build without UDUNITS-2) the oceanographer's own
    // dbar is still known, as the binning knows it.
    const std::string spelled = udunitsSpelling(units);
    const bool pressure = unitsCheckAvailable() ? unitsConvertible(spelled, "dbar") : spelled == "dbar";
    return pressure ? cf::kSeaWaterPressure : "";
}

std::string temperatureStandardName(const std::string& units, bool measuresWater)
{
    if (!measuresWater || !unitsCheckAvailable())
        return "";
    return unitsConvertible(udunitsSpelling(units), "K") ? cf::kSeaWaterTemperature : "";
}

std::string udunitsSpelling(const std::string& units)
{
    static const std::pair<const char*, const char*> known[] = {
        {"mwatts", "mW"}, {"volts", "V"}, {"meters", "m"}, {"deg C", "degC"}, {"", "1"}};
    for (const auto& [calibration, cf] : known)
        if (units == calibration)
            return cf;
    return units;
}

#ifdef KAVRO_UDUNITS
bool unitsCheckAvailable()
{
    return unitSystem().system != nullptr;
}

bool isUdunitsUnit(const std::string& units)
{
    UnitSystem& u = unitSystem();
    if (!u.system)
        return true;
    std::lock_guard lock(u.mutex);
    return parse(u.system, units) != nullptr;
}

bool unitsConvertible(const std::string& units, const std::string& reference)
{
    UnitSystem& u = unitSystem();
    if (!u.system)
        return false;
    std::lock_guard lock(u.mutex);
    const Unit a = parse(u.system, units), b = parse(u.system, reference);
    return a && b && ut_are_convertible(a.get(), b.get()) != 0;
}
#else
// A build without UDUNITS-2 (the Windows command line): as when its database
// cannot be loaded, every text is accepted and none is known to convert.
bool unitsCheckAvailable()
{
    return false;
}

bool isUdunitsUnit(const std::string&)
{
    return true;
}

bool unitsConvertible(const std::string&, const std::string&)
{
    return false;
}
#endif

}  // namespace kavro
