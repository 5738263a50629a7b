#pragma once
// The CF rules every analysis file of this program follows, in one place so that
// the per-cast export and the cruise products agree: when a file says it was made,
// which CF standard names a variable may carry (only ones the standard name table
// defines, never invented ones), and whether a units text is one UDUNITS-2 knows.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavro {

// --- creation time -------------------------------------------------------------
// The time a file says it was made (date_created, history), seconds since 1970 UTC:
// SOURCE_DATE_EPOCH when the environment sets it to a whole number of seconds, so
// two exports of one cast are byte-identical; the clock otherwise.
double creationTimeUtc();
// The time SOURCE_DATE_EPOCH holds: a non-negative decimal integer (surrounding
// blanks allowed); empty for a missing, empty or malformed value.
std::optional<double> sourceDateEpoch(const char* value);

// --- standard names ------------------------------------------------------------
namespace cf {
inline constexpr const char* kBeamAttenuation = "volume_beam_attenuation_coefficient_of_radiative_flux_in_sea_water";
inline constexpr const char* kVolumeScatteringFunction = "volume_scattering_function_of_radiative_flux_in_sea_water";
inline constexpr const char* kScatteringAngle = "scattering_angle";
inline constexpr const char* kStatusFlag = "status_flag";
inline constexpr const char* kDepth = "depth";
inline constexpr const char* kTime = "time";
inline constexpr const char* kSeaWaterPressure = "sea_water_pressure";
inline constexpr const char* kSeaWaterTemperature = "sea_water_temperature";
inline constexpr const char* kSeaWaterPracticalSalinity = "sea_water_practical_salinity";
}  // namespace cf

// The standard name of the pressure channel: sea_water_pressure when its units are
// a pressure (dbar, bar, Pa, ...), none ("") otherwise: a channel calibrated in
// metres is a depth estimate, not a pressure.  Without the units database only
// "dbar" is known to be a pressure.
std::string pressureStandardName(const std::string& units);
// The standard name of the temperature channel: sea_water_temperature only when the
// profile says the channel measures the water (not the housing or the electronics)
// and its units are a temperature; none ("") otherwise.
std::string temperatureStandardName(const std::string& units, bool measuresWater);

// --- units -----------------------------------------------------------------------
// A units text in the spelling UDUNITS-2 expects: the calibration's customary
// texts ("mwatts", "volts", "meters", "deg C", "") become "mW", "V", "m", "degC"
// and "1"; anything else is returned as it is.
std::string udunitsSpelling(const std::string& units);
// True when UDUNITS-2 parses the text as a unit.  When the unit database cannot be
// loaded every text is accepted (the check cannot be made; see unitsCheckAvailable).
bool isUdunitsUnit(const std::string& units);
// True when both texts are units and one converts to the other (both pressures, ...).
bool unitsConvertible(const std::string& units, const std::string& reference);
// Whether the UDUNITS-2 database loaded (UDUNITS2_XML_PATH or the system's default).
bool unitsCheckAvailable();

// --- discovery attributes (ACDD-1.3) -----------------------------------------
inline constexpr const char* kConventions = "CF-1.10, ACDD-1.3";
// The version of the standard name table every standard name of these files is in.
inline constexpr const char* kStandardNameVocabulary = "CF Standard Name Table v79";

// True for a global attribute the program writes itself (Conventions, history,
// the coverage, the provenance, ...): a user's attribute of that name is refused.
bool isComputedAttribute(const std::string& name);
// Of title, summary and keywords, the ones attributes does not give (ACDD
// recommends all three for finding a data set).
std::vector<std::string> missingDiscoveryAttributes(const std::vector<std::pair<std::string, std::string>>& attributes);
// Of what only the scientist knows and a data centre asks for before it takes a
// data set (who made it, under which licence, from which platform, whose
// identifiers, which keyword vocabulary once there are keywords), the ones
// attributes does not give.
std::vector<std::string> missingArchiveAttributes(const std::vector<std::pair<std::string, std::string>>& attributes);

// An identifier for a file: a UUID (version 8, RFC 9562) made from the SHA-256 of
// seed, so that a file made again from the same inputs at the same time (as with
// SOURCE_DATE_EPOCH) has the same one, and any other file another.
std::string fileUuid(const std::string& seed);
// An ISO 8601 duration: "PT0S", "PT1.5S", "PT2H3M", "P1DT4H".  Milliseconds are kept.
std::string isoDuration(double seconds);
// The median step between successive times (ascending, seconds), as the resolution
// of a time coverage; NaN with fewer than two times.
double medianStep(std::vector<double> times);
// The positions (latitude, longitude in degrees) as WKT for geospatial_bounds, in
// the axis order of EPSG:4326 (latitude first): a POINT for one place, else the
// POLYGON of their bounding box (a LINESTRING when it has no area).  "" for none.
std::string wktBounds(const std::vector<std::pair<double, double>>& positions);

}  // namespace kavro
