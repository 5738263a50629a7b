#include "products/ProfileDataset.h"

#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "products/CastExport.h"
#include "products/CastExportParts.h"
#include "products/CastNetcdfSchema.h"
#include "products/CfConventions.h"
#include "products/NetcdfFile.h"
#include "resources/AppTexts.h"
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

// The quantities binned per depth are the rows of the cast file's table that say
// so: the same names, long names, units and standard names in both files.
// withCtd: some cast is binned on a CTD, whose values go into its bins too.
std::vector<const ncschema::Variable*> binnedRows(bool perClass, bool withCtd = false)
{
    std::vector<const ncschema::Variable*> rows;
    for (const auto* table : {&ncschema::frameVariables(), &ncschema::ctdVariables()}) {
        if (table == &ncschema::ctdVariables() && !withCtd)
            continue;
        for (const ncschema::Variable& v : *table)
            if (v.bin != ncschema::kNotBinned && (v.bin == kBinVolume) == perClass)
                rows.push_back(&v);
    }
    return rows;
}

class ProfileWriter {
public:
    ProfileWriter(const std::vector<ProfileCast>& casts, const ProfileDatasetOptions& options)
        : casts_(casts), o_(options)
    {
        if (o_.part != ProfilePart::Ascent)
            parts_.push_back(ProfilePart::Descent);
        if (o_.part != ProfilePart::Descent)
            parts_.push_back(ProfilePart::Ascent);
        for (const ProfileCast& c : casts_)
            for (ProfilePart part : parts_)
                depths_ = std::max(depths_, binsOf(c, part).size());
        // A pressure channel in pressure units gives a pressure axis, not a depth in
        // dbar; casts binned on the CTD make the axis depth in metres.
        std::vector<VerticalSource> sources;
        for (const ProfileCast& c : casts_)
            sources.push_back(c.profile.vertical);
        onDepth_ = binnedOnDepth(sources);
        withCtd_ = std::find(sources.begin(), sources.end(), VerticalSource::Ctd) != sources.end();
        const CruiseVertical vertical = cruiseVertical(casts_, o_.context.channels[kDepthChannel].units);
        vertical_ = vertical.name();
        verticalUnits_ = vertical.units;
    }
    void write(const std::string& path);

private:
    static const std::vector<BinSums>& binsOf(const ProfileCast& c, ProfilePart part)
    {
        return part == ProfilePart::Ascent ? c.profile.ascentBins : c.profile.bins;
    }
    int textVariable(const std::string& name, const std::vector<std::string>& texts, const std::string& longName);
    std::vector<int> binDimensions(bool perClass) const;
    int binVariable(const std::string& name, const std::string& longName, const char* units, bool perClass,
                    const char* method = "mean", const std::string& standardName = "");
    std::array<std::string, kAux> defineLogColumns();
    void writeClasses(std::size_t i);
    void writeCast(std::size_t i);
    void globalAttributes();

    const std::vector<ProfileCast>& casts_;
    const ProfileDatasetOptions& o_;
    std::vector<ProfilePart> parts_;
    std::string vertical_;  // "depth" or "pressure"
    std::string verticalUnits_;
    bool onDepth_ = false;  // binned on depth in metres, some casts on the CTD's
    std::size_t depths_ = 0;
    NetcdfFile nc_;
    int profileDim_ = -1, directionDim_ = -1, depthDim_ = -1, classDim_ = -1, boundsDim_ = -1;
    std::vector<std::pair<int, std::vector<char>>> texts_;
    std::vector<std::pair<int, std::vector<double>>> numbers_;  // the log's numeric columns
    std::vector<std::pair<int, int>> values_, spreads_;  // variable, BinValue
    // The per-class variables and the factors of the cast's classes that make them
    // from a bin's mean volume per class (none: the volume itself).
    std::vector<std::pair<int, ClassValues SizeDistributionFactors::*>> classValues_;
    int frames_ = -1, classDiameter_ = -1, classBounds_ = -1;
    bool shared_ = true;
    bool withCtd_ = false;  // some cast was binned on its CTD: the CTD's bin means too
};

int ProfileWriter::textVariable(const std::string& name, const std::vector<std::string>& texts,
                                const std::string& longName)
{
    const std::size_t width = widest(texts);
    const int dim = nc_.defineDimension(name + "_strlen", width);
    const int var = nc_.defineVariable(name, NetcdfFile::Char, {profileDim_, dim});
    nc_.text(var, "long_name", longName);
    nc_.text(var, "_Encoding", "utf-8");  // read back as text, not bytes
    texts_.emplace_back(var, textRows(texts, width));
    return var;
}

std::vector<int> ProfileWriter::binDimensions(bool perClass) const
{
    std::vector<int> dims{profileDim_};
    if (directionDim_ >= 0)
        dims.push_back(directionDim_);
    dims.push_back(depthDim_);
    if (perClass)
        dims.push_back(classDim_);
    return dims;
}

int ProfileWriter::binVariable(const std::string& name, const std::string& longName, const char* units,
                               bool perClass, const char* method, const std::string& standardName)
{
    const int var = nc_.defineVariable(name, NetcdfFile::Float, binDimensions(perClass));
    nc_.floats(var, "_FillValue", {kFillFloat});
    if (!standardName.empty())
        nc_.text(var, "standard_name", standardName);
    nc_.text(var, "long_name", longName);
    if (*units)
        nc_.text(var, "units", units);
    nc_.text(var, "coordinates", "time latitude longitude " + vertical_ +
                                     (perClass ? std::string(" ") + text::kProfileClassDiameter : ""));
    nc_.text(var, "cell_methods", vertical_ + ": " + method);
    return var;
}

// The station log's other columns, one value per profile, named apart from the
// file's own variables and the channels' (whose names it answers).
std::array<std::string, kAux> ProfileWriter::defineLogColumns()
{
    // A number where the column holds numbers, else a text.
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
                                         "direction", "vertical_source", "size_class", text::kProfileClassDiameter,
                                         text::kFieldDiameterBounds.variable, "n_frames"};
    std::set<std::string> taken(std::begin(kTaken), std::end(kTaken));
    for (const ncschema::Variable* v : binnedRows(true))
        taken.insert(v->name());
    for (const ncschema::Variable* v : binnedRows(false, withCtd_)) {
        taken.insert(v->name());
        taken.insert(std::string(v->name()) + "_std");
    }
    taken.insert({vertical_, vertical_ + "_bounds"});
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
    return auxNames;
}

void ProfileWriter::write(const std::string& path)
{
    nc_.create(path);
    profileDim_ = nc_.defineDimension("profile", casts_.size());
    if (parts_.size() > 1)
        directionDim_ = nc_.defineDimension("direction", parts_.size());
    depthDim_ = nc_.defineDimension(vertical_, depths_);
    classDim_ = nc_.defineDimension("size_class", kClasses);
    boundsDim_ = nc_.defineDimension("bounds", 2);

    std::vector<std::string> names, stations;
    for (const ProfileCast& c : casts_) {
        names.push_back(c.name);
        stations.push_back(c.station);
    }
    const int cast = textVariable(text::kFieldCast.variable, names, text::kFieldCast.longName);
    nc_.text(cast, "cf_role", ncschema::findVariable(text::kFieldCast.variable)->textOf("cf_role"));
    textVariable(text::kFieldStation.variable, stations, text::kFieldStation.longName);
    int direction = -1;
    if (directionDim_ >= 0) {
        direction = nc_.defineVariable("direction", NetcdfFile::String, {directionDim_});
        nc_.text(direction, "long_name", text::kProfileDirection);
    }
    const auto auxNames = defineLogColumns();
    // The place as in the casts' files, one value per profile.
    auto place = [&](const text::DataField& field) {
        const int var = nc_.defineVariable(field.variable, NetcdfFile::Double, {profileDim_});
        nc_.text(var, "standard_name", ncschema::findVariable(field.variable)->textOf("standard_name"));
        nc_.text(var, "long_name", field.longName);
        nc_.text(var, "units", field.units);
        return var;
    };
    const int lat = place(text::kFieldLatitude);
    const int lon = place(text::kFieldLongitude);
    const int time = nc_.defineVariable("time", NetcdfFile::Double, {profileDim_});
    nc_.doubles(time, "_FillValue", {kNaN});
    nc_.text(time, "standard_name", "time");
    nc_.text(time, "long_name", parts_.front() == ProfilePart::Ascent ? text::kProfileTimeAscent : text::kProfileTime);
    nc_.text(time, "units", text::kProfileTimeUnits);
    nc_.text(time, "calendar", "standard");
    nc_.text(time, "axis", "T");

    const std::string& units = verticalUnits_;
    const int depth = nc_.defineVariable(vertical_, NetcdfFile::Double, {depthDim_});
    if (vertical_ == "pressure")
        nc_.text(depth, "standard_name", cf::kSeaWaterPressure);
    else if (units == "m")
        nc_.text(depth, "standard_name", cf::kDepth);
    nc_.text(depth, "long_name", onDepth_ ? text::kProfileDepthOfSource : text::kProfileDepth);
    if (onDepth_)
        nc_.text(depth, "comment", text::kProfileDepthComment);
    nc_.text(depth, "units", units);
    nc_.text(depth, "positive", "down");
    nc_.text(depth, "axis", "Z");
    nc_.text(depth, "bounds", vertical_ + "_bounds");
    const int depthBounds = nc_.defineVariable(vertical_ + "_bounds", NetcdfFile::Double, {depthDim_, boundsDim_});
    nc_.text(depthBounds, "units", units);
    // What each cast was binned on, when the casts differ in it.
    int source = -1;
    if (onDepth_) {
        source = nc_.defineVariable("vertical_source", NetcdfFile::UByte, {profileDim_});
        nc_.text(source, "long_name", text::kProfileVerticalSource);
        nc_.ubytes(source, "flag_values", {0, 1, 2, 3});
        nc_.text(source, "flag_meanings", text::kProfileVerticalSourceMeanings);
    }

    // One layout whatever the models: the class index as the dimension's coordinate,
    // the diameters and their bounds beside it, per profile where the casts' differ.
    shared_ = casts_.empty() || sameDiameters(casts_);
    const int sizeClass = nc_.defineVariable("size_class", NetcdfFile::Int, {classDim_});
    nc_.text(sizeClass, "long_name", text::kProfileClassNumber);
    nc_.text(sizeClass, "units", "1");
    std::vector<int> classDims{classDim_};
    if (!shared_)
        classDims.insert(classDims.begin(), profileDim_);
    classDiameter_ = nc_.defineVariable(text::kProfileClassDiameter, NetcdfFile::Float, classDims);
    nc_.text(classDiameter_, "long_name", text::kFieldDiameter.longName);
    nc_.text(classDiameter_, "units", text::kFieldDiameter.units);
    nc_.text(classDiameter_, "bounds", text::kFieldDiameterBounds.variable);
    classDims.push_back(boundsDim_);
    classBounds_ = nc_.defineVariable(text::kFieldDiameterBounds.variable, NetcdfFile::Float, classDims);
    nc_.text(classBounds_, "units", text::kFieldDiameter.units);

    auto meanOf = [](const char* longName) { return std::string(text::kProfileBinMeanOf) + longName; };
    for (const ncschema::Variable* v : binnedRows(true)) {
        const int var = binVariable(v->name(), meanOf(v->field->longName), v->field->units, true, "mean",
                                    v->textOf("standard_name"));
        auto factor = v->field == &text::kFieldNumberDistribution   ? &SizeDistributionFactors::number
                      : v->field == &text::kFieldVolumeDistribution ? &SizeDistributionFactors::volume
                                                                     : nullptr;
        classValues_.emplace_back(var, factor);
    }
    for (const ncschema::Variable* v : binnedRows(false, withCtd_)) {
        const std::string standardName = v->textOf("standard_name");
        values_.emplace_back(binVariable(v->name(), meanOf(v->field->longName), v->field->units, false, "mean",
                                         standardName),
                             v->bin);
        if (!binHasSpread(v->bin))
            continue;
        spreads_.emplace_back(binVariable(std::string(v->name()) + "_std",
                                          std::string(text::kProfileBinStdOf) + v->field->longName, v->field->units,
                                          false, "standard_deviation", standardName),
                              v->bin);
    }
    for (int c = 0; c < kAux; ++c) {
        const auto& channel = o_.context.channels[static_cast<std::size_t>(c)];
        // A text UDUNITS cannot read stays in the channel's label.
        const std::string units = udunitsText(channel.units);
        const int var = binVariable(auxNames[static_cast<std::size_t>(c)], meanOf(channel.label.c_str()),
                                    isUdunitsUnit(units) ? units.c_str() : "", false, "mean",
                                    channelStandardName(o_.context, c));
        values_.emplace_back(var, kBinAux + c);
    }
    frames_ = nc_.defineVariable("n_frames", NetcdfFile::Int, binDimensions(false));
    nc_.text(frames_, "long_name", text::kProfileFrames);
    nc_.text(frames_, "units", "1");
    nc_.text(frames_, "coordinates", "time latitude longitude " + vertical_);
    globalAttributes();
    nc_.endDefinitions();

    const std::size_t n = casts_.size();
    for (const auto& [var, rows] : texts_)
        if (n > 0)
            nc_.write(var, {0, 0}, {n, rows.size() / n}, rows.data());
    for (const auto& [var, values] : numbers_)
        if (n > 0)
            nc_.write(var, {0}, {n}, values.data());
    if (direction >= 0) {
        const char* partNames[] = {text::kProfileDescent, text::kProfileAscent};
        nc_.write(direction, {0}, {2}, partNames);
    }
    std::vector<double> la(n), lo(n), t(n);
    for (std::size_t i = 0; i < n; ++i) {
        la[i] = casts_[i].latitude;
        lo[i] = casts_[i].longitude;
        const CastProfile& p = casts_[i].profile;
        const double s = parts_.front() == ProfilePart::Ascent ? p.ascentStartUtc : p.descentStartUtc;
        t[i] = std::isfinite(s) ? std::round(s * 1000.0) : kNaN;
    }
    if (source >= 0 && n > 0) {
        std::vector<unsigned char> sources(n);
        for (std::size_t i = 0; i < n; ++i)
            sources[i] = static_cast<unsigned char>(casts_[i].profile.vertical);
        nc_.write(source, {0}, {n}, sources.data());
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
    std::vector<int> numbers(kClasses);
    for (int k = 0; k < kClasses; ++k)
        numbers[static_cast<std::size_t>(k)] = k + 1;
    nc_.write(sizeClass, {0}, {kClasses}, numbers.data());
    if (shared_ && n > 0)
        writeClasses(0);
    // One profile at a time: memory stays that of one cast's bins.
    for (std::size_t i = 0; i < n; ++i)
        writeCast(i);
    nc_.close();
}

// The class diameters and bounds of cast i: the file's own when the casts share
// them, else that profile's row.
void ProfileWriter::writeClasses(std::size_t i)
{
    const ProfileCast& cast = casts_[i];
    const ClassEdges edges = classEdgesFor(cast.diameters, cast.model);
    std::vector<float> diameters(kClasses), bounds(2 * kClasses);
    for (std::size_t k = 0; k < kClasses; ++k) {
        diameters[k] = static_cast<float>(cast.diameters[k]);
        bounds[2 * k] = static_cast<float>(edges[k]);
        bounds[2 * k + 1] = static_cast<float>(edges[k + 1]);
    }
    if (shared_) {
        nc_.write(classDiameter_, {0}, {kClasses}, diameters.data());
        nc_.write(classBounds_, {0, 0}, {kClasses, 2}, bounds.data());
    } else {
        nc_.write(classDiameter_, {i, 0}, {1, kClasses}, diameters.data());
        nc_.write(classBounds_, {i, 0, 0}, {1, kClasses, 2}, bounds.data());
    }
}

void ProfileWriter::writeCast(std::size_t i)
{
    const ProfileCast& cast = casts_[i];
    if (!shared_)
        writeClasses(i);
    if (depths_ == 0)
        return;
    // The distributions of a bin are its mean volume per class times the cast's
    // factors: the mean of the frames' distributions, as the factors are the cast's.
    const SizeDistributionFactors factors = sizeDistributionFactors(cast.diameters, classEdgesFor(cast.diameters, cast.model));
    for (std::size_t d = 0; d < parts_.size(); ++d) {
        const std::vector<BinSums>& bins = binsOf(cast, parts_[d]);
        std::vector<std::size_t> start{i}, count{1};
        if (directionDim_ >= 0) {
            start.push_back(d);
            count.push_back(1);
        }
        start.push_back(0);
        count.push_back(depths_);
        std::vector<std::size_t> classStart = start, classCount = count;
        classStart.push_back(0);
        classCount.push_back(kClasses);
        auto write = [&](int var, auto get) {
            std::vector<float> column(depths_);
            for (std::size_t k = 0; k < depths_; ++k)
                column[k] = k < bins.size() ? static_cast<float>(get(bins[k])) : kFillFloat;
            nc_.write(var, start, count, column.data());
        };
        for (const auto& [var, factor] : classValues_) {
            std::vector<float> values(depths_ * kClasses, kFillFloat);
            for (std::size_t k = 0; k < depths_ && k < bins.size(); ++k)
                for (std::size_t c = 0; c < kClasses; ++c)
                    values[k * kClasses + c] = static_cast<float>(bins[k].mean(kBinVolume + static_cast<int>(c)) *
                                                                  (factor ? (factors.*factor)[c] : 1.0));
            nc_.write(var, classStart, classCount, values.data());
        }
        for (const auto& [var, value] : values_)
            write(var, [value = value](const BinSums& s) { return s.mean(value); });
        for (const auto& [var, value] : spreads_)
            write(var, [value = value](const BinSums& s) { return s.standardDeviation(value); });
        std::vector<int> counts(depths_);
        for (std::size_t k = 0; k < depths_; ++k)
            counts[k] = k < bins.size() ? bins[k].frames : 0;
        nc_.write(frames_, start, count, counts.data());
    }
}

void ProfileWriter::globalAttributes()
{
    const std::string created = formatUtcTimestamp(o_.created);
    // What a user may give has the program's own value until then.
    std::string seed = std::string(text::kCruiseProfilesName) + "\n" + created + "\n" + o_.context.commandLine;
    std::vector<double> starts;
    std::vector<std::pair<double, double>> positions;
    std::string models;
    for (const ProfileCast& c : casts_) {
        seed += "\n" + c.name + " " + std::to_string(c.profile.frames) + " " + formatG(c.profile.descentStartUtc, 17);
        const double start = c.profile.descentStartUtc;
        if (std::isfinite(start))
            starts.push_back(start);
        positions.emplace_back(c.latitude, c.longitude);
        const std::string model = text::kModelNames[c.model == 1 || c.model == 2 ? c.model : 0];
        if (models.find(model) == std::string::npos)
            models += (models.empty() ? "" : ", ") + model;
    }
    nc_.text(-1, "title", text::kProfileTitle);
    nc_.text(-1, "id", fileUuid(seed));
    nc_.text(-1, "processing_level", text::kProfileProcessingLevel);
    for (const auto& [name, value] : o_.attributes)
        nc_.text(-1, name, value);
    const CruiseCoverage c = cruiseCoverage(casts_);
    nc_.text(-1, "Conventions", kConventions);
    nc_.text(-1, "standard_name_vocabulary", kStandardNameVocabulary);
    if (!models.empty())
        nc_.text(-1, "instrument", models);
    nc_.text(-1, "featureType", "profile");
    nc_.text(-1, "cdm_data_type", "Profile");
    nc_.text(-1, "source", o_.context.program);
    nc_.text(-1, "date_created", created);
    nc_.text(-1, "history", created + " " + o_.context.commandLine);
    if (std::isfinite(c.timeMin)) {
        nc_.text(-1, "time_coverage_start", formatUtcTimestamp(c.timeMin));
        nc_.text(-1, "time_coverage_end", formatUtcTimestamp(c.timeMax));
        nc_.text(-1, "time_coverage_duration", isoDuration(c.timeMax - c.timeMin));
        // The file's times are one per profile: their usual spacing.
        std::sort(starts.begin(), starts.end());
        if (const double step = medianStep(starts); std::isfinite(step))
            nc_.text(-1, "time_coverage_resolution", isoDuration(step));
    }
    if (const std::string wkt = wktBounds(positions); !wkt.empty()) {
        nc_.text(-1, "geospatial_bounds", wkt);
        nc_.text(-1, "geospatial_bounds_crs", "EPSG:4326");
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
        nc_.text(-1, "geospatial_vertical_units", verticalUnits_);
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
