// The CF-1.10 NetCDF-4 file of a cast: the variables of the schema table, one per
// auxiliary channel, the place of a cruise's cast, and the provenance.
#include "platform/FileUtil.h"
#include "platform/Sha256.h"
#include "products/CastExport.h"
#include "products/CastExportParts.h"
#include "products/CastNetcdfSchema.h"
#include "products/CastProvenance.h"
#include "products/CfConventions.h"
#include "products/CtdMerge.h"
#include "products/FrameColumnWriter.h"
#include "products/NetcdfFile.h"
#include "resources/AppTexts.h"
#include "resources/CtdTexts.h"
#include "resources/DataTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

namespace kavro {
namespace {

constexpr int kDeflateLevel = 1;
constexpr float kFillFloat = std::numeric_limits<float>::quiet_NaN();
constexpr double kFillDouble = std::numeric_limits<double>::quiet_NaN();
// The netCDF default fill of int64: a time no frame can have.
constexpr long long kFillTime = -9223372036854775806LL;
constexpr short kFillShort = -1;
// The channel that may be the vertical coordinate.
constexpr int kPressureChannel = 4;

// What the file's definitions need from the frames before they are written: whether
// any holds a scattering function (a file written without it holds none), and the
// range of the vertical coordinate (the pressure channel, or the CTD's depth at the
// frames' times).
struct CastSurvey {
    bool vsf = false;
    double verticalMin = std::numeric_limits<double>::infinity();
    double verticalMax = -std::numeric_limits<double>::infinity();
};

CastSurvey surveyCast(const CastReader& cast, const CtdFrames* ctd, bool channelVertical)
{
    CastSurvey survey;
    std::vector<OutputRecord> records;
    auto vertical = [&](double z) {
        if (std::isfinite(z)) {
            survey.verticalMin = std::min(survey.verticalMin, z);
            survey.verticalMax = std::max(survey.verticalMax, z);
        }
    };
    for (long long first = 0; cast.read(first, kExportBlock, records) > 0;
         first += static_cast<long long>(records.size()))
        for (std::size_t i = 0; i < records.size(); ++i) {
            const OutputRecord& r = records[i];
            for (int k = 0; k < kRings && !survey.vsf; ++k)
                survey.vsf = r[static_cast<std::size_t>(kRecVsf + k)] != 0.0f;
            if (ctd)
                vertical(ctd->at(first + static_cast<long long>(i)).depth);
            else if (channelVertical)
                vertical(r[static_cast<std::size_t>(kRecAux + kPressureChannel)]);
        }
    return survey;
}

class NetcdfCast {
public:
    // out: the file's final name (the provenance's paths are relative to its folder).
    NetcdfCast(const CastReader& cast, const FrameTimes& times, const ExportContext& context, const std::string& out)
        : cast_(cast), times_(times), context_(context), out_(out),
          ctd_(context.ctdFrames ? context.ctdFrames
               : context.ctd    ? std::make_shared<const CtdFrames>(*context.ctd, times, cast.frameCount())
                                : nullptr)
    {
    }
    void write(const std::string& path);

private:
    bool present(ncschema::When when) const;
    int dimension(ncschema::Dim dim);
    void defineTable(const std::vector<ncschema::Variable>& table);
    void attribute(int var, const ncschema::Variable& v, const ncschema::Attribute& a);
    void coordinates(int var, const std::string& name);
    void defineChannels();
    void warn(const std::string& message) const;
    void defineAll();
    void defineCtd();
    void globalAttributes();
    void coverageAttributes();
    void writePlace();
    void writeCoordinates();
    void writeBlock(std::size_t start, const std::vector<FrameRow>& rows, FrameColumnWriter& floats);
    int id(const text::DataField& field) const;

    const CastReader& cast_;
    const FrameTimes& times_;
    const ExportContext& context_;
    const std::string out_;
    std::shared_ptr<const CtdFrames> ctd_;  // the CTD at the frames, when the cast has one
    std::string psdDigest_;
    std::vector<std::string> coordinates_;  // the frame variables' auxiliary coordinates
    std::array<std::string, kAux> channelNames_;
    std::string vertical_;        // the vertical coordinate's variable; "" when the cast has none
    long long timeEpochMs_ = 0;   // what the time variable counts from
    NetcdfFile nc_;
    bool withVsf_ = false;
    CastSurvey survey_;
    bool channelVertical_ = false;  // the pressure channel is the vertical coordinate
    std::map<ncschema::Dim, int> dims_;
    std::map<std::string, int> ids_;  // the table's variables in the file
    std::array<int, kAux> aux_{};
    SizeDistributionFactors factors_{};
    long long outsideCtd_ = 0;  // frames without CTD values
};

bool NetcdfCast::present(ncschema::When when) const
{
    switch (when) {
    case ncschema::When::Always: return true;
    case ncschema::When::WithTimes: return !times_.empty();
    case ncschema::When::WithVsf: return withVsf_;
    case ncschema::When::WithPlace: return context_.place.has_value();
    case ncschema::When::WithCtd: return ctd_ != nullptr;
    }
    return false;
}

// A dimension, defined where a variable first needs it.
int NetcdfCast::dimension(ncschema::Dim dim)
{
    if (const auto known = dims_.find(dim); known != dims_.end())
        return known->second;
    int id = -1;
    switch (dim) {
    case ncschema::Dim::Frame: id = nc_.defineDimension("frame", 0); break;
    case ncschema::Dim::SizeClass: id = nc_.defineDimension("size_class", kClasses); break;
    case ncschema::Dim::Bounds: id = nc_.defineDimension("bounds", 2); break;
    case ncschema::Dim::Angle: id = nc_.defineDimension("vsf_angle", kRings); break;
    case ncschema::Dim::StationLength:
        id = nc_.defineDimension("station_strlen", std::max<std::size_t>(1, context_.place->station.size()));
        break;
    case ncschema::Dim::CastLength:
        id = nc_.defineDimension("cast_strlen", std::max<std::size_t>(1, context_.place->cast.size()));
        break;
    }
    dims_[dim] = id;
    return id;
}

int NetcdfCast::id(const text::DataField& field) const
{
    const auto known = ids_.find(field.variable);
    return known == ids_.end() ? -1 : known->second;
}

void NetcdfCast::attribute(int var, const ncschema::Variable& v, const ncschema::Attribute& a)
{
    using ncschema::Value;
    switch (a.value) {
    case Value::None: break;
    case Value::LongName: nc_.text(var, "long_name", v.field->longName); break;
    case Value::Units:
        if (*v.field->units)
            nc_.text(var, "units", v.field->units);
        break;
    case Value::Text: nc_.text(var, a.name, a.text); break;
    case Value::FillValue:
        switch (v.type) {
        case NetcdfFile::Float: nc_.floats(var, "_FillValue", {kFillFloat}); break;
        case NetcdfFile::Double: nc_.doubles(var, "_FillValue", {kFillDouble}); break;
        case NetcdfFile::Int64: nc_.int64s(var, "_FillValue", {kFillTime}); break;
        case NetcdfFile::Short: nc_.shorts(var, "_FillValue", {kFillShort}); break;
        default: break;
        }
        break;
    case Value::TimeUnits:
        nc_.text(var, a.name,
                 text::kNcTimeUnits + formatUtcTimestamp(static_cast<double>(timeEpochMs_) / 1000.0).substr(0, 10) +
                     text::kNcTimeUnitsMidnight);
        break;
    case Value::ValidClassRange: nc_.shorts(var, a.name, {1, kClasses}); break;
    case Value::FlagMasks: {
        std::vector<unsigned char> masks;
        for (int b = 0; b < kQualityFlagCount; ++b)
            masks.push_back(static_cast<unsigned char>(kQualityFlagBits[b]));
        nc_.ubytes(var, a.name, masks);
        break;
    }
    case Value::FlagMeanings: {
        std::string meanings;
        for (int b = 0; b < kQualityFlagCount; ++b)
            meanings += std::string(b ? " " : "") + text::kFlagMeanings[b];
        nc_.text(var, a.name, meanings);
        break;
    }
    case Value::Coordinates: coordinates(var, v.name()); break;
    }
}

// The auxiliary coordinates of a frame variable: time, the vertical coordinate
// (not of itself) and the place.
void NetcdfCast::coordinates(int var, const std::string& name)
{
    std::string text;
    for (const std::string& c : coordinates_)
        if (c != name)
            text += (text.empty() ? "" : " ") + c;
    if (!text.empty())
        nc_.text(var, "coordinates", text);
}

// The variables of a table that this file has, then the attributes added late.
void NetcdfCast::defineTable(const std::vector<ncschema::Variable>& table)
{
    for (const ncschema::Variable& v : table) {
        if (!present(v.when))
            continue;
        std::vector<int> dims;
        for (std::size_t d = 0; d < v.rank; ++d)
            dims.push_back(dimension(v.dims[d]));
        const int var = nc_.defineVariable(v.name(), v.type, dims);
        ids_[v.name()] = var;
        if (v.chunked) {
            std::vector<std::size_t> chunks{kExportBlock};
            if (v.rank == 2)
                chunks.push_back(v.dims[1] == ncschema::Dim::Angle ? kRings : kClasses);
            nc_.compress(var, chunks, kDeflateLevel);
        }
        for (const ncschema::Attribute& a : v.attributes)
            if (!a.late)
                attribute(var, v, a);
    }
    for (const ncschema::Variable& v : table)
        if (present(v.when))
            for (const ncschema::Attribute& a : v.attributes)
                if (a.late)
                    attribute(ids_.at(v.name()), v, a);
}

void NetcdfCast::defineAll()
{
    for (ncschema::Dim dim : {ncschema::Dim::Frame, ncschema::Dim::SizeClass, ncschema::Dim::Bounds})
        dimension(dim);
    if (!times_.empty())
        timeEpochMs_ = static_cast<long long>(std::floor(times_.earliest() / 86400.0)) * 86400000LL;
    std::set<std::string> taken = ncschema::reservedNames();
    if (ctd_)
        for (const ncschema::Variable& v : ncschema::ctdVariables())
            taken.insert(v.name());
    channelNames_ = channelNames(context_, taken);
    // The vertical coordinate: the CTD's depth, else the pressure channel where it
    // is a depth or a pressure.
    if (ctd_)
        vertical_ = text::kFieldCtdDepth.variable;
    else if (channelVertical_)
        vertical_ = channelNames_[kPressureChannel];
    coordinates_.clear();
    if (!times_.empty())
        coordinates_.push_back(text::kFieldTime.variable);
    if (!vertical_.empty())
        coordinates_.push_back(vertical_);
    if (context_.place)
        for (const text::DataField* f : {&text::kFieldLatitude, &text::kFieldLongitude, &text::kFieldCast,
                                         &text::kFieldStation})
            coordinates_.push_back(f->variable);
    defineTable(ncschema::frameVariables());
    defineChannels();
    defineTable(ncschema::placeVariables());
    defineCtd();
    globalAttributes();
}

// The CTD's variables, each saying where its values come from.
void NetcdfCast::defineCtd()
{
    if (!ctd_)
        return;
    defineTable(ncschema::ctdVariables());
    char comment[1200];
    std::snprintf(comment, sizeof comment, text::kNcCtdComment, ctd_->path().c_str());
    for (const text::DataField* f : {&text::kFieldCtdPressure, &text::kFieldCtdTemperature, &text::kFieldCtdSalinity})
        nc_.text(id(*f), "comment", comment);
    std::snprintf(comment, sizeof comment, text::kNcDepthComment, ctd_->latitude());
    nc_.text(id(text::kFieldCtdDepth), "comment", comment);
    nc_.text(id(text::kFieldCtdDepth), "axis", "Z");
}

void NetcdfCast::writePlace()
{
    const ExportContext::Place& place = *context_.place;
    for (const auto& [field, value] : {std::pair{&text::kFieldCast, place.cast}, {&text::kFieldStation, place.station}}) {
        std::string name = value;
        name.resize(std::max<std::size_t>(1, name.size()), '\0');
        nc_.write(id(*field), {0}, {name.size()}, name.data());
    }
    nc_.write(id(text::kFieldLatitude), {}, {}, &place.latitude);
    nc_.write(id(text::kFieldLongitude), {}, {}, &place.longitude);
}

void NetcdfCast::warn(const std::string& message) const
{
    if (context_.warn)
        context_.warn(out_ + ": " + message);
}

// One variable per auxiliary channel, named after its label.  Its units go in
// only when UDUNITS reads them; a standard name only where the channel is what
// the name says (a pressure in pressure units, the water's temperature).
void NetcdfCast::defineChannels()
{
    const auto& names = channelNames_;
    const int frameDim = dimension(ncschema::Dim::Frame);
    for (int i = 0; i < kAux; ++i) {
        const auto& channel = context_.channels[static_cast<std::size_t>(i)];
        const int var = nc_.defineVariable(names[static_cast<std::size_t>(i)], NetcdfFile::Float, {frameDim});
        nc_.compress(var, {kExportBlock}, kDeflateLevel);
        nc_.floats(var, "_FillValue", {kFillFloat});
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, text::kAuxFallbackName, i + 1);
        const std::string label = channel.label.empty() ? fallback : channel.label;
        nc_.text(var, "long_name", label);
        const std::string standardName = channelStandardName(context_, i);
        if (!standardName.empty())
            nc_.text(var, "standard_name", standardName);
        if (names[static_cast<std::size_t>(i)] == vertical_) {
            nc_.text(var, "positive", "down");
            nc_.text(var, "axis", "Z");
        }
        char comment[160];
        std::snprintf(comment, sizeof comment, text::kNcAuxComment, i + 1, channel.multiplier, channel.offset);
        const std::string units = udunitsSpelling(channel.units);
        if (isUdunitsUnit(units)) {
            nc_.text(var, "units", units);
            nc_.text(var, "comment", comment);
        } else {
            nc_.text(var, "comment", comment + std::string(text::kNcUnitsNotUdunits) + channel.units);
            char message[512];
            std::snprintf(message, sizeof message, text::kWarnUnitsNotUdunits, channel.units.c_str(), label.c_str());
            warn(message);
        }
        coordinates(var, names[static_cast<std::size_t>(i)]);
        aux_[static_cast<std::size_t>(i)] = var;
    }
}
// When and where the cast was: its times' range and their usual step, its position.
void NetcdfCast::coverageAttributes()
{
    std::vector<double> times;
    for (long long n = 0; !times_.empty() && n < cast_.frameCount(); ++n)
        if (const double t = times_.utcOfRecord(n); std::isfinite(t))
            times.push_back(t);
    if (!times.empty()) {
        const auto [first, last] = std::minmax_element(times.begin(), times.end());
        nc_.text(-1, "time_coverage_start", formatUtcTimestamp(*first));
        nc_.text(-1, "time_coverage_end", formatUtcTimestamp(*last));
        nc_.text(-1, "time_coverage_duration", isoDuration(*last - *first));
        if (const double step = medianStep(std::move(times)); std::isfinite(step) && step >= 0.0)
            nc_.text(-1, "time_coverage_resolution", isoDuration(step));
    }
    if (!vertical_.empty() && survey_.verticalMin <= survey_.verticalMax) {
        nc_.doubles(-1, "geospatial_vertical_min", {survey_.verticalMin});
        nc_.doubles(-1, "geospatial_vertical_max", {survey_.verticalMax});
        nc_.text(-1, "geospatial_vertical_units",
                 ctd_ ? text::kFieldCtdDepth.units : udunitsSpelling(context_.channels[kPressureChannel].units));
        nc_.text(-1, "geospatial_vertical_positive", "down");
    }
    if (context_.place && std::isfinite(context_.place->latitude) && std::isfinite(context_.place->longitude)) {
        const ExportContext::Place& p = *context_.place;
        nc_.doubles(-1, "geospatial_lat_min", {p.latitude});
        nc_.doubles(-1, "geospatial_lat_max", {p.latitude});
        nc_.text(-1, "geospatial_lat_units", "degrees_north");
        nc_.doubles(-1, "geospatial_lon_min", {p.longitude});
        nc_.doubles(-1, "geospatial_lon_max", {p.longitude});
        nc_.text(-1, "geospatial_lon_units", "degrees_east");
        nc_.text(-1, "geospatial_bounds", wktBounds({{p.latitude, p.longitude}}));
        nc_.text(-1, "geospatial_bounds_crs", "EPSG:4326");
    }
}

void NetcdfCast::globalAttributes()
{
    const std::string created = formatUtcTimestamp(creationTimeUtc());
    const PsdHeader& h = cast_.header();
    const ModelRange range = modelRange(h.model);
    nc_.text(-1, "Conventions", kConventions);
    nc_.text(-1, "title", text::kNcTitle + fileNamePart(cast_.path()));
    nc_.text(-1, "id", fileUuid(fileNamePart(out_) + "\n" + psdDigest_ + "\n" + created + "\n" + context_.commandLine));
    nc_.text(-1, "processing_level", text::kNcProcessingLevel);
    nc_.text(-1, "standard_name_vocabulary", kStandardNameVocabulary);
    coverageAttributes();
    nc_.text(-1, "source", context_.program);
    nc_.text(-1, "history", created + " " + context_.commandLine);
    nc_.text(-1, "date_created", created);
    // The archive keeps its folders together: the .psd as seen from this file's folder.
    nc_.text(-1, "source_file", pathRelativeTo(cast_.path(), directoryPart(out_), 1));
    nc_.text(-1, "source_file_sha256", psdDigest_);
    nc_.text(-1, "instrument", text::kModelNames[h.model == 1 || h.model == 2 ? h.model : 0]);
    nc_.ints(-1, "instrument_model", {h.model});
    nc_.doubles(-1, "size_range_um", {range.diameterMin, range.diameterMax});
    nc_.doubles(-1, "laser_reference_ratio", {h.laserReferenceRatio});
    nc_.doubles(-1, "optical_path_length_m", {1.0 / kPathFactor});
    if (context_.place && !vertical_.empty()) {
        // One cast at one place: a single profile, its frames along the vertical coordinate.
        nc_.text(-1, "featureType", "profile");
        nc_.text(-1, "cdm_data_type", "Profile");
    }
    nc_.text(-1, "calibration_folder", context_.calibrationDir);
    const std::string folder = directoryPart(out_);
    nc_.text(-1, "calibration_files_sha256", calibrationDigests(context_.calibrationDir, h.model, folder));
    const std::vector<std::string> mismatches = calibrationMismatches(cast_, context_.calibrationDir);
    std::string reasons;
    for (const std::string& m : mismatches)
        reasons += (reasons.empty() ? "" : "; ") + m;
    nc_.text(-1, "calibration_check",
             mismatches.empty() ? std::string(text::kNcCalibrationMatches) : text::kNcCalibrationDiffers + reasons);
    if (!mismatches.empty()) {
        char message[1024];
        std::snprintf(message, sizeof message, text::kWarnCalibrationDiffers, context_.calibrationDir.c_str(),
                      reasons.c_str());
        warn(message);
    }
    nc_.text(-1, "background_file", h.backgroundPath.empty() ? text::kNcNoBackground : h.backgroundPath);
    nc_.text(-1, "background_file_sha256",
             h.backgroundPath.empty() ? "" : sha256OfFile(h.backgroundPath).value_or(text::kNcNotFound));
    nc_.ints(-1, "setting_NumIterations", {context_.numIterations});
    nc_.ints(-1, "setting_ProcOpt1", {context_.procOpt1});
    nc_.doubles(-1, "setting_LRefRatio", {context_.lRefRatio});
    nc_.doubles(-1, "setting_VolConv", {context_.volConv});
    nc_.ints(-1, "setting_AutoMultiScan", {context_.autoMultiScan});
    nc_.text(-1, "settings_comment", text::kNcSettingsNote);
    for (const ExtraAttribute& a : context_.extraAttributes) {
        if (a.number)
            nc_.doubles(-1, a.name, {*a.number});
        else
            nc_.text(-1, a.name, a.text);
    }
}

void NetcdfCast::writeCoordinates()
{
    const ClassEdges& e = cast_.edges();
    std::array<float, kClasses> d{};
    std::array<float, 2 * kClasses> b{};
    for (int k = 0; k < kClasses; ++k) {
        d[static_cast<std::size_t>(k)] = static_cast<float>(cast_.diameters()[static_cast<std::size_t>(k)]);
        b[static_cast<std::size_t>(2 * k)] = static_cast<float>(e[static_cast<std::size_t>(k)]);
        b[static_cast<std::size_t>(2 * k + 1)] = static_cast<float>(e[static_cast<std::size_t>(k + 1)]);
    }
    nc_.write(id(text::kFieldDiameter), {0}, {kClasses}, d.data());
    nc_.write(id(text::kFieldDiameterBounds), {0, 0}, {kClasses, 2}, b.data());
    if (withVsf_) {
        const auto r = modelRingEdgesDeg(cast_.model());
        std::array<float, kRings> a{};
        std::array<float, 2 * kRings> ab{};
        for (std::size_t i = 0; i < a.size(); ++i) {
            a[i] = static_cast<float>(std::sqrt(r[i] * r[i + 1]));
            ab[2 * i] = static_cast<float>(r[i]);
            ab[2 * i + 1] = static_cast<float>(r[i + 1]);
        }
        nc_.write(id(text::kFieldAngle), {0}, {kRings}, a.data());
        nc_.write(id(text::kFieldAngleBounds), {0, 0}, {kRings, 2}, ab.data());
    }
}


void NetcdfCast::writeBlock(std::size_t start, const std::vector<FrameRow>& rows, FrameColumnWriter& floats)
{
    const std::size_t n = rows.size();
    using Columns = FrameColumnWriter::Columns;
    auto wide = [&](const text::DataField& field, const auto member) {
        Columns columns(1);
        columns[0].first = id(field);
        std::vector<float>& values = columns[0].second;
        values.resize(n * kClasses);
        for (std::size_t i = 0; i < n; ++i)
            std::copy((rows[i].*member).begin(), (rows[i].*member).end(), values.begin() + static_cast<long>(i * kClasses));
        return columns;
    };
    static_assert(kClasses == kRings);
    // The volume per class, and its distributions made from it where it is compressed.
    Columns volume = wide(text::kFieldVolume, &FrameRow::volume);
    const FrameColumnWriter::Scalings distributions = {
        {id(text::kFieldNumberDistribution), {factors_.number.begin(), factors_.number.end()}},
        {id(text::kFieldVolumeDistribution), {factors_.volume.begin(), factors_.volume.end()}}};
    floats.addScaled(start, n, volume[0].first, std::move(volume[0].second), kClasses, distributions);
    if (withVsf_) {
        // The records hold log10 of the function (a frame without laser light is NaN already).
        Columns vsf = wide(text::kFieldVsf, &FrameRow::vsf);
        for (float& v : vsf[0].second)
            v = static_cast<float>(std::pow(10.0, static_cast<double>(v)));
        floats.add(start, n, std::move(vsf), kRings);
    }
    Columns columns;
    auto column = [&](int var, auto get) {
        std::vector<float> values(n);
        for (std::size_t i = 0; i < n; ++i)
            values[i] = get(rows[i]);
        columns.emplace_back(var, std::move(values));
    };
    column(id(text::kFieldTotal), [](const FrameRow& r) { return r.totalVolume; });
    column(id(text::kFieldMean), [](const FrameRow& r) { return r.mean; });
    column(id(text::kFieldStdDev), [](const FrameRow& r) { return r.stdDev; });
    column(id(text::kFieldD10), [](const FrameRow& r) { return static_cast<float>(r.stats.d10); });
    column(id(text::kFieldD50), [](const FrameRow& r) { return static_cast<float>(r.stats.d50); });
    column(id(text::kFieldD90), [](const FrameRow& r) { return static_cast<float>(r.stats.d90); });
    column(id(text::kFieldModeDiameter), [](const FrameRow& r) { return static_cast<float>(r.stats.modeDiameter); });
    column(id(text::kFieldSlope), [](const FrameRow& r) { return static_cast<float>(r.stats.jungeSlope); });
    column(id(text::kFieldTransmission), [](const FrameRow& r) { return r.transmission; });
    column(id(text::kFieldBeamC), [](const FrameRow& r) { return r.beamAttenuation; });
    for (int c = 0; c < kAux; ++c)
        column(aux_[static_cast<std::size_t>(c)], [c](const FrameRow& r) { return r.aux[static_cast<std::size_t>(c)]; });
    if (ctd_) {
        for (std::size_t i = 0; i < n; ++i)
            outsideCtd_ += ctd_->covers(rows[i].frame) ? 0 : 1;
        auto ctdColumn = [&](const text::DataField& field, float CtdFrames::Values::*member) {
            std::vector<float> values(n);
            for (std::size_t i = 0; i < n; ++i)
                values[i] = ctd_->at(rows[i].frame).*member;
            columns.emplace_back(id(field), std::move(values));
        };
        ctdColumn(text::kFieldCtdPressure, &CtdFrames::Values::pressure);
        ctdColumn(text::kFieldCtdTemperature, &CtdFrames::Values::temperature);
        ctdColumn(text::kFieldCtdSalinity, &CtdFrames::Values::salinity);
        ctdColumn(text::kFieldCtdDepth, &CtdFrames::Values::depth);
    }
    floats.add(start, n, std::move(columns), 1);
    // The floats of this block are compressed while the ones of the block before
    // are stored, the library writes the others and the next block is read.
    floats.endBlock();

    std::vector<int> frames(n);
    std::vector<unsigned char> flags(n);
    for (std::size_t i = 0; i < n; ++i) {
        frames[i] = static_cast<int>(rows[i].frame);
        flags[i] = static_cast<unsigned char>(rows[i].flags);
    }
    nc_.write(id(text::kFieldFrame), {start}, {n}, frames.data());
    nc_.write(id(text::kFieldFlag), {start}, {n}, flags.data());
    if (const int time = id(text::kFieldTime); time >= 0) {
        std::vector<long long> t(n);
        for (std::size_t i = 0; i < n; ++i)
            t[i] = std::isfinite(rows[i].utc) ? std::llround(rows[i].utc * 1000.0) - timeEpochMs_ : kFillTime;
        nc_.write(time, {start}, {n}, t.data());
    }
    std::vector<short> counts(n);
    auto shorts = [&](const text::DataField& field, auto get) {
        for (std::size_t i = 0; i < n; ++i)
            counts[i] = static_cast<short>(get(rows[i]));
        nc_.write(id(field), {start}, {n}, counts.data());
    };
    shorts(text::kFieldModeClass, [](const FrameRow& r) { return r.stats.modeClass >= 0 ? r.stats.modeClass + 1 : -1; });
    shorts(text::kFieldZeroRings, [](const FrameRow& r) { return r.zeroRings; });
    shorts(text::kFieldSaturatedRings, [](const FrameRow& r) { return r.saturatedRings; });
}

void NetcdfCast::write(const std::string& path)
{
    psdDigest_ = sha256OfFile(cast_.path()).value_or(text::kNcNotFound);
    // The pressure channel is the vertical coordinate where it has a depth's or a pressure's name.
    channelVertical_ = !ctd_ && !channelStandardName(context_, kPressureChannel).empty();
    survey_ = surveyCast(cast_, ctd_.get(), channelVertical_);
    withVsf_ = survey_.vsf;
    factors_ = sizeDistributionFactors(cast_.diameters(), cast_.edges());
    nc_.create(path);
    defineAll();
    nc_.endDefinitions();
    writeCoordinates();
    if (context_.place)
        writePlace();
    FrameColumnWriter floats(nc_, kExportBlock, kDeflateLevel);
    forEachFrameBlock(cast_, times_, [&](const std::vector<FrameRow>& rows) {
        writeBlock(static_cast<std::size_t>(rows.front().frame), rows, floats);
        return true;
    });
    floats.finish();
    nc_.close();
    if (outsideCtd_ > 0) {
        char message[1200];
        std::snprintf(message, sizeof message, text::kCtdOutside, outsideCtd_, cast_.frameCount(),
                      ctd_->path().c_str());
        warn(message);
    }
}

}  // namespace

bool netcdfExportBuilt()
{
    return true;
}

void writeNetcdf(const std::string& psd, const std::string& out, const ExportContext& context)
{
    const CastReader cast(psd);
    const FrameTimes times = exportTimesFor(psd);
    if ((context.ctd || context.ctdFrames) && times.empty())
        throw CastError(psd + ": " + text::kCtdNeedsTimes);
    writeNetcdfInPlace(out, [&](const std::string& temp) { NetcdfCast(cast, times, context, out).write(temp); });
}

void writeNetcdfInPlace(const std::string& out, const std::function<void(const std::string&)>& write)
{
    FileReplacement file;
    if (!file.begin(out))
        throw CastError(out + ": " + text::kExportCannotCreate + replacementProblem(file));
    try {
        write(file.temporaryPath());
    } catch (const NetcdfError& e) {
        throw CastError(out + ": " + text::kExportNetcdfFailed + e.what());
    }
    if (!file.commit())
        throw CastError(out + ": " + text::kExportCannotCreate + replacementProblem(file));
}

bool netcdfMadeWithCalibration(const std::string& path, const ExportContext& context)
{
    return netcdfTextAttribute(path, "", "calibration_folder") == context.calibrationDir;
}

std::array<std::string, kAux> auxVariableNames(const ExportContext& context, const std::set<std::string>& taken)
{
    return channelNames(context, taken);
}

}  // namespace kavro
