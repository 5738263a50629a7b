#include "core/CfConventions.h"

#include "platform/System.h"

#ifdef KAVRO_UDUNITS
#include <udunits2.h>
#endif

#include <cctype>
#include <cstdlib>
#include <ctime>
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

std::string pressureStandardName(const std::string& units)
{
    return unitsCheckAvailable() && unitsConvertible(udunitsSpelling(units), "dbar") ? cf::kSeaWaterPressure : "";
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
