#include "core/ProfileDataset.h"

#include "core/CastExport.h"
#include "core/CfConventions.h"
#include "core/FrameTimes.h"
#include "core/NetcdfFile.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CruiseTexts.h"
#include "resources/DataTexts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

namespace kavro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kFillFloat = std::numeric_limits<float>::quiet_NaN();
constexpr int kDeflateLevel = 1;

bool sameDiameters(const std::vector<ProfileCast>& casts)
{
    for (const ProfileCast& c : casts)
        if (c.diameters != casts.front().diameters)
            return false;
    return true;
}

// Names of the casts, stations or another text per profile as a char array.
std::vector<char> textRows(const std::vector<std::string>& texts, std::size_t width)
{
    std::vector<char> rows(texts.size() * width, '\0');
    for (std::size_t i = 0; i < texts.size(); ++i)
        std::copy(texts[i].begin(), texts[i].end(), rows.begin() + static_cast<long>(i * width));
    return rows;
}

std::size_t widest(const std::vector<std::string>& texts)
{
    std::size_t w = 1;
    for (const std::string& t : texts)
        w = std::max(w, t.size());
    return w;
}

class ProfileWriter {
public:
    ProfileWriter(const std::vector<ProfileCast>& casts, const ProfileDatasetOptions& options)
        : casts_(casts), o_(options)
    {
        for (const ProfileCast& c : casts_)
            depths_ = std::max(depths_, c.profile.bins.size());
    }
    void write(const std::string& path);

private:
    int textVariable(const std::string& name, const std::vector<std::string>& texts, const std::string& longName);
    int binVariable(const std::string& name, const text::DataField& field, bool perClass);
    void globalAttributes();

    const std::vector<ProfileCast>& casts_;
    const ProfileDatasetOptions& o_;
    std::size_t depths_ = 0;
    NetcdfFile nc_;
    int profileDim_ = -1, depthDim_ = -1, classDim_ = -1, boundsDim_ = -1;
    std::vector<std::pair<int, std::vector<char>>> texts_;
    std::vector<std::pair<int, std::vector<double>>> numbers_;  // the log's numeric columns
    std::vector<std::pair<int, int>> values_;  // variable, BinValue
    int volume_ = -1;
};

int ProfileWriter::textVariable(const std::string& name, const std::vector<std::string>& texts,
                                const std::string& longName)
{
    const std::size_t width = widest(texts);
    const int dim = nc_.defineDimension(name + "_strlen", width);
    const int var = nc_.defineVariable(name, NetcdfFile::Char, {profileDim_, dim});
    nc_.text(var, "long_name", longName);
    texts_.emplace_back(var, textRows(texts, width));
    return var;
}

int ProfileWriter::binVariable(const std::string& name, const text::DataField& field, bool perClass)
{
    std::vector<int> dims{profileDim_, depthDim_};
    if (perClass)
        dims.push_back(classDim_);
    const int var = nc_.defineVariable(name, NetcdfFile::Float, dims);
    nc_.floats(var, "_FillValue", {kFillFloat});
    nc_.text(var, "long_name", std::string(text::kProfileBinMeanOf) + field.longName);
    if (*field.units)
        nc_.text(var, "units", field.units);
    nc_.text(var, "coordinates", "time latitude longitude depth");
    nc_.text(var, "cell_methods", "depth: mean");
    return var;
}

void ProfileWriter::write(const std::string& path)
{
    nc_.create(path);
    profileDim_ = nc_.defineDimension("profile", casts_.size());
    depthDim_ = nc_.defineDimension("depth", depths_);
    classDim_ = nc_.defineDimension("size_class", kClasses);
    boundsDim_ = nc_.defineDimension("bounds", 2);

    std::vector<std::string> names, stations;
    for (const ProfileCast& c : casts_) {
        names.push_back(c.name);
        stations.push_back(c.station);
    }
    const int cast = textVariable("cast", names, text::kProfileCastName);
    nc_.text(cast, "cf_role", "profile_id");
    textVariable("station", stations, text::kProfileStationName);
    // The station log's other columns, one value per profile: a number where the
    // column holds numbers, else a text.
    std::vector<std::string> columns;
    std::set<std::string> textColumns;
    for (const ProfileCast& c : casts_)
        for (const ExtraAttribute& a : c.attributes) {
            if (std::find(columns.begin(), columns.end(), a.name) == columns.end())
                columns.push_back(a.name);
            if (!a.number)
                textColumns.insert(a.name);
        }
    static const char* const kTaken[] = {"cast", "station", "latitude", "longitude", "time", "depth", "depth_bounds",
                                         "direction", "size_class",
                                         "size_class_diameter", "n_frames", "volume_concentration",
                                         "total_volume", "mean_diameter", "d10", "d50", "d90", "junge_slope",
                                         "transmission", "beam_attenuation"};
    std::set<std::string> taken(std::begin(kTaken), std::end(kTaken));
    const auto auxNames = auxVariableNames(o_.context, taken);
    taken.insert(auxNames.begin(), auxNames.end());
    for (const std::string& column : columns) {
        const std::string name = taken.count(column) ? "log_" + column : column;
        const std::string longName = std::string(text::kProfileLogColumn) + column;
        if (textColumns.count(column)) {
            std::vector<std::string> values;
            for (const ProfileCast& c : casts_) {
                values.emplace_back();
                for (const ExtraAttribute& a : c.attributes)
                    if (a.name == column)
                        values.back() = a.text;
            }
            textVariable(name, values, longName);
            continue;
        }
        std::vector<double> values;
        for (const ProfileCast& c : casts_) {
            values.push_back(kNaN);
            for (const ExtraAttribute& a : c.attributes)
                if (a.name == column)
                    values.back() = *a.number;
        }
        const int var = nc_.defineVariable(name, NetcdfFile::Double, {profileDim_});
        nc_.doubles(var, "_FillValue", {kNaN});
        nc_.text(var, "long_name", longName);
        numbers_.emplace_back(var, std::move(values));
    }

    const int lat = nc_.defineVariable("latitude", NetcdfFile::Double, {profileDim_});
    nc_.doubles(lat, "_FillValue", {kNaN});
    nc_.text(lat, "standard_name", "latitude");
    nc_.text(lat, "long_name", "latitude of the cast");
    nc_.text(lat, "units", "degrees_north");
    const int lon = nc_.defineVariable("longitude", NetcdfFile::Double, {profileDim_});
    nc_.doubles(lon, "_FillValue", {kNaN});
    nc_.text(lon, "standard_name", "longitude");
    nc_.text(lon, "long_name", "longitude of the cast");
    nc_.text(lon, "units", "degrees_east");
    const int time = nc_.defineVariable("time", NetcdfFile::Double, {profileDim_});
    nc_.doubles(time, "_FillValue", {kNaN});
    nc_.text(time, "standard_name", "time");
    nc_.text(time, "long_name", text::kProfileTime);
    nc_.text(time, "units", text::kProfileTimeUnits);
    nc_.text(time, "calendar", "standard");
    nc_.text(time, "axis", "T");

    const std::string units = udunitsText(o_.context.channels[kDepthChannel].units);
    const int depth = nc_.defineVariable("depth", NetcdfFile::Double, {depthDim_});
    if (units == "m")
        nc_.text(depth, "standard_name", "depth");
    nc_.text(depth, "long_name", text::kProfileDepth);
    nc_.text(depth, "units", units);
    nc_.text(depth, "positive", "down");
    nc_.text(depth, "axis", "Z");
    nc_.text(depth, "bounds", "depth_bounds");
    const int depthBounds = nc_.defineVariable("depth_bounds", NetcdfFile::Double, {depthDim_, boundsDim_});
    nc_.text(depthBounds, "units", units);

    const bool shared = casts_.empty() || sameDiameters(casts_);
    const int sizeClass =
        nc_.defineVariable("size_class", shared ? NetcdfFile::Float : NetcdfFile::Int, {classDim_});
    int classDiameter = -1;
    if (shared) {
        nc_.text(sizeClass, "long_name", text::kFieldDiameter.longName);
        nc_.text(sizeClass, "units", text::kFieldDiameter.units);
    } else {
        nc_.text(sizeClass, "long_name", text::kProfileClassNumber);
        classDiameter = nc_.defineVariable("size_class_diameter", NetcdfFile::Float, {profileDim_, classDim_});
        nc_.text(classDiameter, "long_name", text::kFieldDiameter.longName);
        nc_.text(classDiameter, "units", text::kFieldDiameter.units);
    }

    volume_ = binVariable("volume_concentration", text::kFieldVolume, true);
    values_ = {{binVariable("total_volume", text::kFieldTotal, false), kBinTotal},
               {binVariable("mean_diameter", text::kFieldMean, false), kBinMean},
               {binVariable("d10", text::kFieldD10, false), kBinD10},
               {binVariable("d50", text::kFieldD50, false), kBinD50},
               {binVariable("d90", text::kFieldD90, false), kBinD90},
               {binVariable("junge_slope", text::kFieldSlope, false), kBinJunge},
               {binVariable("transmission", text::kFieldTransmission, false), kBinTransmission},
               {binVariable("beam_attenuation", text::kFieldBeamC, false), kBinBeamAttenuation}};
    for (int c = 0; c < kAux; ++c) {
        const auto& channel = o_.context.channels[static_cast<std::size_t>(c)];
        const text::DataField field = {"", "", channel.label.c_str(), ""};
        const int var = binVariable(auxNames[static_cast<std::size_t>(c)], field, false);
        const std::string units = udunitsText(channel.units);
        if (isUdunitsUnit(units))  // a text UDUNITS cannot read stays in the channel's label
            nc_.text(var, "units", units);
        values_.emplace_back(var, kBinAux + c);
    }
    const int frames = nc_.defineVariable("n_frames", NetcdfFile::Int, {profileDim_, depthDim_});
    nc_.text(frames, "long_name", text::kProfileFrames);
    nc_.text(frames, "units", "1");
    nc_.text(frames, "coordinates", "time latitude longitude depth");
    globalAttributes();
    nc_.endDefinitions();

    const std::size_t n = casts_.size();
    for (const auto& [var, rows] : texts_)
        if (n > 0)
            nc_.write(var, {0, 0}, {n, rows.size() / n}, rows.data());
    for (const auto& [var, values] : numbers_)
        if (n > 0)
            nc_.write(var, {0}, {n}, values.data());
    std::vector<double> la(n), lo(n), t(n);
    for (std::size_t i = 0; i < n; ++i) {
        la[i] = casts_[i].latitude;
        lo[i] = casts_[i].longitude;
        const double s = casts_[i].profile.descentStartUtc;
        t[i] = std::isfinite(s) ? std::round(s * 1000.0) : kNaN;
    }
    if (n > 0) {
        nc_.write(lat, {0}, {n}, la.data());
        nc_.write(lon, {0}, {n}, lo.data());
        nc_.write(time, {0}, {n}, t.data());
    }
    const double b = o_.binSize;
    std::vector<double> centres(depths_), bounds(2 * depths_);
    for (std::size_t k = 0; k < depths_; ++k) {
        centres[k] = (static_cast<double>(k) + 0.5) * b;
        bounds[2 * k] = static_cast<double>(k) * b;
        bounds[2 * k + 1] = static_cast<double>(k + 1) * b;
    }
    if (depths_ > 0) {
        nc_.write(depth, {0}, {depths_}, centres.data());
        nc_.write(depthBounds, {0, 0}, {depths_, 2}, bounds.data());
    }
    std::vector<float> classes(kClasses);
    std::vector<int> numbers(kClasses);
    for (int k = 0; k < kClasses; ++k) {
        classes[static_cast<std::size_t>(k)] = n ? static_cast<float>(casts_[0].diameters[static_cast<std::size_t>(k)]) : 0.0f;
        numbers[static_cast<std::size_t>(k)] = k + 1;
    }
    if (shared)
        nc_.write(sizeClass, {0}, {kClasses}, classes.data());
    else
        nc_.write(sizeClass, {0}, {kClasses}, numbers.data());
    // One profile at a time: memory stays that of one cast's bins.
    for (std::size_t i = 0; i < n && depths_ > 0; ++i) {
        const CastProfile& p = casts_[i].profile;
        auto valueOf = [&](std::size_t k, int v) {
            return k < p.bins.size() ? static_cast<float>(p.bins[k].mean(v)) : kFillFloat;
        };
        if (!shared) {
            for (int k = 0; k < kClasses; ++k)
                classes[static_cast<std::size_t>(k)] = static_cast<float>(casts_[i].diameters[static_cast<std::size_t>(k)]);
            nc_.write(classDiameter, {i, 0}, {1, kClasses}, classes.data());
        }
        std::vector<float> volume(depths_ * kClasses), column(depths_);
        for (std::size_t k = 0; k < depths_; ++k)
            for (int c = 0; c < kClasses; ++c)
                volume[k * kClasses + static_cast<std::size_t>(c)] = valueOf(k, kBinVolume + c);
        nc_.write(volume_, {i, 0, 0}, {1, depths_, kClasses}, volume.data());
        for (const auto& [var, value] : values_) {
            for (std::size_t k = 0; k < depths_; ++k)
                column[k] = valueOf(k, value);
            nc_.write(var, {i, 0}, {1, depths_}, column.data());
        }
        std::vector<int> counts(depths_);
        for (std::size_t k = 0; k < depths_; ++k)
            counts[k] = k < p.bins.size() ? p.bins[k].frames : 0;
        nc_.write(frames, {i, 0}, {1, depths_}, counts.data());
    }
    nc_.close();
}

void ProfileWriter::globalAttributes()
{
    const std::string created = formatUtcTimestamp(o_.created);
    nc_.text(-1, "title", text::kProfileTitle);
    for (const auto& [name, value] : o_.attributes)
        nc_.text(-1, name, value);
    const CruiseCoverage c = cruiseCoverage(casts_);
    nc_.text(-1, "Conventions", "CF-1.10, ACDD-1.3");
    nc_.text(-1, "featureType", "profile");
    nc_.text(-1, "cdm_data_type", "Profile");
    nc_.text(-1, "source", o_.context.program);
    nc_.text(-1, "date_created", created);
    nc_.text(-1, "history", created + " " + o_.context.commandLine);
    if (std::isfinite(c.timeMin)) {
        nc_.text(-1, "time_coverage_start", formatUtcTimestamp(c.timeMin));
        nc_.text(-1, "time_coverage_end", formatUtcTimestamp(c.timeMax));
    }
    if (std::isfinite(c.latMin)) {
        nc_.doubles(-1, "geospatial_lat_min", {c.latMin});
        nc_.doubles(-1, "geospatial_lat_max", {c.latMax});
        nc_.text(-1, "geospatial_lat_units", "degrees_north");
    }
    if (std::isfinite(c.lonMin)) {
        nc_.doubles(-1, "geospatial_lon_min", {c.lonMin});
        nc_.doubles(-1, "geospatial_lon_max", {c.lonMax});
        nc_.text(-1, "geospatial_lon_units", "degrees_east");
    }
    if (std::isfinite(c.depthMin)) {
        nc_.doubles(-1, "geospatial_vertical_min", {c.depthMin});
        nc_.doubles(-1, "geospatial_vertical_max", {c.depthMax});
        nc_.text(-1, "geospatial_vertical_units", udunitsText(o_.context.channels[kDepthChannel].units));
        nc_.text(-1, "geospatial_vertical_positive", "down");
    }
    nc_.doubles(-1, "depth_bin_size", {o_.binSize});
    nc_.text(-1, "binning_method", text::kProfileBinning);
}

}  // namespace

void writeProfileDataset(const std::vector<ProfileCast>& casts, const std::string& out,
                         const ProfileDatasetOptions& options)
{
    writeNetcdfInPlace(out, [&](const std::string& temp) { ProfileWriter(casts, options).write(temp); });
}

}  // namespace kavro
