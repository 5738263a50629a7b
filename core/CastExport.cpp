#include "core/CastExport.h"

#include "auxiliary/CHKInfo.h"
#include "core/CInvPars.h"
#include "core/CastProvenance.h"
#include "core/CastReader.h"
#include "core/CfConventions.h"
#include "core/FrameTimes.h"
#include "core/NetcdfFile.h"
#include "core/OutputFile.h"
#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"
#include "platform/Sha256.h"
#include "resources/AppTexts.h"
#include "resources/CoreTexts.h"
#include "resources/DataTexts.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <limits>
#include <set>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro {
namespace {

// Frames per block read, analysed and written (also the NetCDF chunk length).
constexpr std::size_t kBlock = 4096;
constexpr int kDeflateLevel = 1;
constexpr float kFillFloat = std::numeric_limits<float>::quiet_NaN();
constexpr double kFillDouble = std::numeric_limits<double>::quiet_NaN();
// The netCDF default fill of int64: a time no frame can have.
constexpr long long kFillTime = -9223372036854775806LL;
// The auxiliary channels that may carry a standard name.
constexpr int kPressureChannel = 4;
constexpr int kTemperatureChannel = 5;

// The time stamps beside the .psd, when there are any.
FrameTimes timesFor(const std::string& psd)
{
    FrameTimes times;
    const std::string path = frameTimesPathFor(psd);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return times;
    std::string error;
    if (!readFrameTimes(path, times, error))
        throw CastError(path + ": " + text::kExportTimesProblem + error);
    return times;
}

// Lowercase letters, digits and '_' from a channel label; "" when nothing is left.
std::string variableNameOf(const std::string& label)
{
    std::string name;
    for (char c : label) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (ok)
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (!name.empty() && name[0] >= '0' && name[0] <= '9')
        name = "ch_" + name;
    return name;
}

// One name per channel: from its label, aux<N> when the label gives none or repeats another.
std::array<std::string, kAux> channelNames(const ExportContext& context, const std::set<std::string>& taken)
{
    std::array<std::string, kAux> names;
    std::set<std::string> used = taken;
    for (int i = 0; i < kAux; ++i) {
        std::string name = variableNameOf(context.channels[static_cast<std::size_t>(i)].label);
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, text::kAuxFallbackName, i + 1);
        if (name.empty() || used.count(name))
            name = fallback;
        used.insert(name);
        names[static_cast<std::size_t>(i)] = name;
    }
    return names;
}

// The first frame whose scattering function is not all 0: a file written without it holds none.
bool holdsScatteringFunction(const CastReader& cast)
{
    std::vector<OutputRecord> records;
    for (long long first = 0; cast.read(first, kBlock, records) > 0; first += static_cast<long long>(records.size()))
        for (const OutputRecord& r : records)
            for (int i = 0; i < kRings; ++i)
                if (r[static_cast<std::size_t>(kRecVsf + i)] != 0.0f)
                    return true;
    return false;
}

// Reads and analyses the cast a block at a time on a thread of its own, a few
// blocks ahead, and hands the blocks to write in frame order.
void forEachBlock(const CastReader& cast, const FrameTimes& times,
                  const std::function<void(const std::vector<FrameRow>&)>& write)
{
    constexpr std::size_t kBlocksAhead = 2;
    std::mutex mutex;
    std::condition_variable_any changed;
    std::deque<std::vector<FrameRow>> ready;
    std::vector<std::vector<FrameRow>> spare;  // blocks written, kept for their memory
    bool end = false;
    std::exception_ptr error;
    auto analyse = [&](std::stop_token stop) {
        try {
            std::vector<OutputRecord> records;
            for (long long first = 0;;) {
                std::vector<FrameRow> rows;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, stop, [&] { return ready.size() < kBlocksAhead; });
                    if (stop.stop_requested())
                        return;
                    if (!spare.empty()) {
                        rows = std::move(spare.back());
                        spare.pop_back();
                    }
                }
                rows.resize(cast.read(first, kBlock, records));
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    rows[i] = analyseFrame(records[i], first + static_cast<long long>(i), cast.edges(),
                                           cast.diameters(), cast.backgroundMissing());
                    rows[i].utc = times.utcOfRecord(rows[i].frame);
                }
                first += static_cast<long long>(rows.size());
                std::lock_guard lock(mutex);
                end = rows.empty();
                if (!end)
                    ready.push_back(std::move(rows));
                changed.notify_all();
                if (end)
                    return;
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            error = std::current_exception();
            end = true;
            changed.notify_all();
        }
    };
    // Declared after everything it uses: however the writing ends, the reader is
    // asked to stop and waited for before those go.
    std::jthread reader(analyse);
    for (;;) {
        std::vector<FrameRow> rows;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return end || !ready.empty(); });
            if (ready.empty()) {
                if (error)
                    std::rethrow_exception(error);
                return;
            }
            rows = std::move(ready.front());
            ready.pop_front();
        }
        changed.notify_all();
        write(rows);
        std::lock_guard lock(mutex);
        spare.push_back(std::move(rows));
    }
}

class NetcdfCast {
public:
    // out: the file's final name (the provenance's paths are relative to its folder).
    NetcdfCast(const CastReader& cast, const FrameTimes& times, const ExportContext& context, const std::string& out)
        : cast_(cast), times_(times), context_(context), out_(out)
    {
    }
    void write(const std::string& path);

private:
    int floatVariable(const text::DataField& field, const std::vector<int>& dims);
    void attributes(int var, const text::DataField& field);
    void defineChannels(const std::string& coordinates);
    void warn(const std::string& message) const;
    void defineAll();
    void globalAttributes();
    void definePlace();
    void writePlace();
    void writeCoordinates();
    void writeBlock(std::size_t start, const std::vector<FrameRow>& rows);
    void storePacked();

    const CastReader& cast_;
    const FrameTimes& times_;
    const ExportContext& context_;
    const std::string out_;
    std::string psdDigest_;
    long long timeEpochMs_ = 0;  // what the time variable counts from
    NetcdfFile nc_;
    bool withVsf_ = false;
    int frameDim_ = -1, classDim_ = -1, angleDim_ = -1, boundsDim_ = -1;
    int frame_ = -1, time_ = -1, diameter_ = -1, bounds_ = -1, angle_ = -1, angleBounds_ = -1;
    int volume_ = -1, total_ = -1, mean_ = -1, sd_ = -1, d10_ = -1, d50_ = -1, d90_ = -1, modeD_ = -1, modeK_ = -1;
    int slope_ = -1, transmission_ = -1, beamC_ = -1, vsf_ = -1, zero_ = -1, saturated_ = -1, flag_ = -1;
    int station_ = -1, latitude_ = -1, longitude_ = -1;
    std::array<int, kAux> aux_{};
    std::vector<std::future<std::vector<NetcdfFile::PackedChunk>>> packing_;  // the last block's, not stored yet
};

void NetcdfCast::attributes(int var, const text::DataField& field)
{
    nc_.text(var, "long_name", field.longName);
    if (*field.units)
        nc_.text(var, "units", field.units);
}

int NetcdfCast::floatVariable(const text::DataField& field, const std::vector<int>& dims)
{
    const int var = nc_.defineVariable(field.variable, NetcdfFile::Float, dims);
    std::vector<std::size_t> chunks{kBlock};
    if (dims.size() == 2)
        chunks.push_back(kClasses);
    nc_.compress(var, chunks, kDeflateLevel);
    nc_.floats(var, "_FillValue", {kFillFloat});
    attributes(var, field);
    return var;
}

void NetcdfCast::defineAll()
{
    frameDim_ = nc_.defineDimension("frame", 0);
    classDim_ = nc_.defineDimension("size_class", kClasses);
    boundsDim_ = nc_.defineDimension("bounds", 2);
    frame_ = nc_.defineVariable(text::kFieldFrame.variable, NetcdfFile::Int, {frameDim_});
    nc_.compress(frame_, {kBlock}, kDeflateLevel);
    attributes(frame_, text::kFieldFrame);
    if (!times_.empty()) {
        // Whole milliseconds as integers since midnight of the cast's first day:
        // readers that turn them into nanoseconds through a double (xarray does)
        // stay exact for months, where milliseconds since 1970 would be off by tens
        // of nanoseconds.  No axis attribute: time is an auxiliary coordinate of the
        // frame dimension.
        timeEpochMs_ = static_cast<long long>(std::floor(times_.earliest() / 86400.0)) * 86400000LL;
        time_ = nc_.defineVariable(text::kFieldTime.variable, NetcdfFile::Int64, {frameDim_});
        nc_.compress(time_, {kBlock}, kDeflateLevel);
        nc_.int64s(time_, "_FillValue", {kFillTime});
        attributes(time_, text::kFieldTime);
        nc_.text(time_, "units", text::kNcTimeUnits +
                                     formatUtcTimestamp(static_cast<double>(timeEpochMs_) / 1000.0).substr(0, 10) +
                                     text::kNcTimeUnitsMidnight);
        nc_.text(time_, "standard_name", cf::kTime);
        nc_.text(time_, "calendar", "standard");
    }
    diameter_ = nc_.defineVariable(text::kFieldDiameter.variable, NetcdfFile::Float, {classDim_});
    attributes(diameter_, text::kFieldDiameter);
    nc_.text(diameter_, "bounds", "size_class_bounds");
    bounds_ = nc_.defineVariable("size_class_bounds", NetcdfFile::Float, {classDim_, boundsDim_});
    nc_.text(bounds_, "units", "um");
    if (withVsf_) {
        angleDim_ = nc_.defineDimension("vsf_angle", kRings);
        angle_ = nc_.defineVariable(text::kFieldAngle.variable, NetcdfFile::Float, {angleDim_});
        attributes(angle_, text::kFieldAngle);
        nc_.text(angle_, "bounds", "vsf_angle_bounds");
        angleBounds_ = nc_.defineVariable("vsf_angle_bounds", NetcdfFile::Float, {angleDim_, boundsDim_});
        nc_.text(angleBounds_, "units", "degree");
    }
    std::string coordinates = times_.empty() ? "" : "time";
    if (context_.place)
        coordinates += coordinates.empty() ? "latitude longitude station" : " latitude longitude station";
    volume_ = floatVariable(text::kFieldVolume, {frameDim_, classDim_});
    total_ = floatVariable(text::kFieldTotal, {frameDim_});
    mean_ = floatVariable(text::kFieldMean, {frameDim_});
    sd_ = floatVariable(text::kFieldStdDev, {frameDim_});
    d10_ = floatVariable(text::kFieldD10, {frameDim_});
    d50_ = floatVariable(text::kFieldD50, {frameDim_});
    d90_ = floatVariable(text::kFieldD90, {frameDim_});
    modeD_ = floatVariable(text::kFieldModeDiameter, {frameDim_});
    modeK_ = nc_.defineVariable(text::kFieldModeClass.variable, NetcdfFile::Short, {frameDim_});
    nc_.compress(modeK_, {kBlock}, kDeflateLevel);
    nc_.shorts(modeK_, "_FillValue", {-1});
    nc_.shorts(modeK_, "valid_range", {1, kClasses});
    attributes(modeK_, text::kFieldModeClass);
    slope_ = floatVariable(text::kFieldSlope, {frameDim_});
    transmission_ = floatVariable(text::kFieldTransmission, {frameDim_});
    beamC_ = floatVariable(text::kFieldBeamC, {frameDim_});
    if (withVsf_) {
        vsf_ = nc_.defineVariable(text::kFieldVsf.variable, NetcdfFile::Float, {frameDim_, angleDim_});
        nc_.compress(vsf_, {kBlock, kRings}, kDeflateLevel);
        nc_.floats(vsf_, "_FillValue", {kFillFloat});
        attributes(vsf_, text::kFieldVsf);
    }
    zero_ = nc_.defineVariable(text::kFieldZeroRings.variable, NetcdfFile::Short, {frameDim_});
    nc_.compress(zero_, {kBlock}, kDeflateLevel);
    attributes(zero_, text::kFieldZeroRings);
    saturated_ = nc_.defineVariable(text::kFieldSaturatedRings.variable, NetcdfFile::Short, {frameDim_});
    nc_.compress(saturated_, {kBlock}, kDeflateLevel);
    attributes(saturated_, text::kFieldSaturatedRings);
    flag_ = nc_.defineVariable(text::kFieldFlag.variable, NetcdfFile::UByte, {frameDim_});
    nc_.compress(flag_, {kBlock}, kDeflateLevel);
    attributes(flag_, text::kFieldFlag);
    nc_.text(flag_, "standard_name", cf::kStatusFlag);
    std::vector<unsigned char> masks;
    std::string meanings;
    for (int b = 0; b < kQualityFlagCount; ++b) {
        masks.push_back(static_cast<unsigned char>(kQualityFlagBits[b]));
        meanings += std::string(b ? " " : "") + text::kFlagMeanings[b];
    }
    nc_.ubytes(flag_, "flag_masks", masks);
    nc_.text(flag_, "flag_meanings", meanings);
    nc_.text(beamC_, "standard_name", cf::kBeamAttenuation);
    if (!coordinates.empty())
        for (int var : {volume_, total_, mean_, sd_, d10_, d50_, d90_, modeD_, modeK_, slope_, transmission_, beamC_,
                        vsf_, zero_, saturated_, flag_})
            if (var >= 0)
                nc_.text(var, "coordinates", coordinates);
    defineChannels(coordinates);
    if (context_.place)
        definePlace();
    globalAttributes();
}

void NetcdfCast::definePlace()
{
    const std::size_t length = std::max<std::size_t>(1, context_.place->station.size());
    const int strlen = nc_.defineDimension("station_strlen", length);
    station_ = nc_.defineVariable("station", NetcdfFile::Char, {strlen});
    nc_.text(station_, "long_name", "station name");
    latitude_ = nc_.defineVariable("latitude", NetcdfFile::Double, {});
    longitude_ = nc_.defineVariable("longitude", NetcdfFile::Double, {});
    for (int var : {latitude_, longitude_})
        nc_.doubles(var, "_FillValue", {kFillDouble});
    nc_.text(latitude_, "standard_name", "latitude");
    nc_.text(latitude_, "long_name", "latitude of the cast");
    nc_.text(latitude_, "units", "degrees_north");
    nc_.text(longitude_, "standard_name", "longitude");
    nc_.text(longitude_, "long_name", "longitude of the cast");
    nc_.text(longitude_, "units", "degrees_east");
}

void NetcdfCast::writePlace()
{
    const ExportContext::Place& place = *context_.place;
    std::string name = place.station;
    name.resize(std::max<std::size_t>(1, name.size()), '\0');
    nc_.write(station_, {0}, {name.size()}, name.data());
    nc_.write(latitude_, {}, {}, &place.latitude);
    nc_.write(longitude_, {}, {}, &place.longitude);
}

void NetcdfCast::warn(const std::string& message) const
{
    if (context_.warn)
        context_.warn(out_ + ": " + message);
}

// One variable per auxiliary channel, named after its label.  Its units go in
// only when UDUNITS reads them; a standard name only where the channel is what
// the name says (a pressure in pressure units, the water's temperature).
void NetcdfCast::defineChannels(const std::string& coordinates)
{
    std::set<std::string> taken = {"frame", "time", "size_class", "size_class_bounds", "vsf_angle",
                                   "vsf_angle_bounds", "volume_concentration", "total_volume_concentration",
                                   "mean_diameter", "diameter_std", "d10", "d50", "d90", "mode_diameter",
                                   "mode_class", "junge_slope", "transmission", "beam_attenuation", "vsf",
                                   "zero_rings", "saturated_rings", "quality_flag"};
    const auto names = channelNames(context_, taken);
    for (int i = 0; i < kAux; ++i) {
        const auto& channel = context_.channels[static_cast<std::size_t>(i)];
        const int var = nc_.defineVariable(names[static_cast<std::size_t>(i)], NetcdfFile::Float, {frameDim_});
        nc_.compress(var, {kBlock}, kDeflateLevel);
        nc_.floats(var, "_FillValue", {kFillFloat});
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, text::kAuxFallbackName, i + 1);
        const std::string label = channel.label.empty() ? fallback : channel.label;
        nc_.text(var, "long_name", label);
        std::string standardName;
        if (i == kPressureChannel)
            standardName = pressureStandardName(channel.units);
        else if (i == kTemperatureChannel)
            standardName = temperatureStandardName(channel.units, context_.temperatureMeasuresWater);
        if (!standardName.empty())
            nc_.text(var, "standard_name", standardName);
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
        if (!coordinates.empty())
            nc_.text(var, "coordinates", coordinates);
        aux_[static_cast<std::size_t>(i)] = var;
    }
}

void NetcdfCast::globalAttributes()
{
    const std::string created = formatUtcTimestamp(creationTimeUtc());
    const PsdHeader& h = cast_.header();
    const ModelRange range = modelRange(h.model);
    nc_.text(-1, "Conventions", "CF-1.10");
    nc_.text(-1, "title", text::kNcTitle + fileNamePart(cast_.path()));
    nc_.text(-1, "source", context_.program);
    nc_.text(-1, "history", created + " " + context_.commandLine);
    nc_.text(-1, "date_created", created);
    nc_.text(-1, "source_file", cast_.path());
    nc_.text(-1, "source_file_sha256", psdDigest_);
    nc_.text(-1, "instrument", text::kModelNames[h.model == 1 || h.model == 2 ? h.model : 0]);
    nc_.ints(-1, "instrument_model", {h.model});
    nc_.doubles(-1, "size_range_um", {range.diameterMin, range.diameterMax});
    nc_.doubles(-1, "laser_reference_ratio", {h.laserReferenceRatio});
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
    for (const auto& [name, value] : context_.extraAttributes)
        nc_.text(-1, name, value);
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
    nc_.write(diameter_, {0}, {kClasses}, d.data());
    nc_.write(bounds_, {0, 0}, {kClasses, 2}, b.data());
    if (withVsf_) {
        const auto r = modelRingEdgesDeg(cast_.model());
        std::array<float, kRings> a{};
        std::array<float, 2 * kRings> ab{};
        for (std::size_t i = 0; i < a.size(); ++i) {
            a[i] = static_cast<float>(std::sqrt(r[i] * r[i + 1]));
            ab[2 * i] = static_cast<float>(r[i]);
            ab[2 * i + 1] = static_cast<float>(r[i + 1]);
        }
        nc_.write(angle_, {0}, {kRings}, a.data());
        nc_.write(angleBounds_, {0, 0}, {kRings, 2}, ab.data());
    }
}

void NetcdfCast::writeBlock(std::size_t start, const std::vector<FrameRow>& rows)
{
    const std::size_t n = rows.size();
    // The float variables are compressed on threads of their own while the library
    // writes the others and the next block is read; they are stored with the next
    // block (or at the end).
    using Columns = std::vector<std::pair<int, std::vector<float>>>;
    auto pack = [start, n](Columns columns, std::size_t width) {
        return std::async(std::launch::async, [columns = std::move(columns), start, n, width] {
            std::vector<NetcdfFile::PackedChunk> chunks;
            for (const auto& [var, values] : columns)
                chunks.push_back(NetcdfFile::pack(var, values.data(), start, n, kBlock, width, kDeflateLevel));
            return chunks;
        });
    };
    auto wide = [&](int var, const auto member) {
        Columns columns(1);
        columns[0].first = var;
        std::vector<float>& values = columns[0].second;
        values.resize(n * kClasses);
        for (std::size_t i = 0; i < n; ++i)
            std::copy((rows[i].*member).begin(), (rows[i].*member).end(), values.begin() + static_cast<long>(i * kClasses));
        return columns;
    };
    static_assert(kClasses == kRings);
    std::vector<std::future<std::vector<NetcdfFile::PackedChunk>>> packing;
    packing.push_back(pack(wide(volume_, &FrameRow::volume), kClasses));
    if (withVsf_)
        packing.push_back(pack(wide(vsf_, &FrameRow::vsf), kRings));
    Columns columns;
    auto column = [&](int var, auto get) {
        std::vector<float> values(n);
        for (std::size_t i = 0; i < n; ++i)
            values[i] = get(rows[i]);
        columns.emplace_back(var, std::move(values));
    };
    column(total_, [](const FrameRow& r) { return r.totalVolume; });
    column(mean_, [](const FrameRow& r) { return r.mean; });
    column(sd_, [](const FrameRow& r) { return r.stdDev; });
    column(d10_, [](const FrameRow& r) { return static_cast<float>(r.stats.d10); });
    column(d50_, [](const FrameRow& r) { return static_cast<float>(r.stats.d50); });
    column(d90_, [](const FrameRow& r) { return static_cast<float>(r.stats.d90); });
    column(modeD_, [](const FrameRow& r) { return static_cast<float>(r.stats.modeDiameter); });
    column(slope_, [](const FrameRow& r) { return static_cast<float>(r.stats.jungeSlope); });
    column(transmission_, [](const FrameRow& r) { return r.transmission; });
    column(beamC_, [](const FrameRow& r) { return r.beamAttenuation; });
    for (int c = 0; c < kAux; ++c)
        column(aux_[static_cast<std::size_t>(c)], [c](const FrameRow& r) { return r.aux[static_cast<std::size_t>(c)]; });
    packing.push_back(pack(std::move(columns), 1));
    storePacked();
    packing_ = std::move(packing);

    std::vector<int> frames(n);
    std::vector<unsigned char> flags(n);
    for (std::size_t i = 0; i < n; ++i) {
        frames[i] = static_cast<int>(rows[i].frame);
        flags[i] = static_cast<unsigned char>(rows[i].flags);
    }
    nc_.write(frame_, {start}, {n}, frames.data());
    nc_.write(flag_, {start}, {n}, flags.data());
    if (time_ >= 0) {
        std::vector<long long> t(n);
        for (std::size_t i = 0; i < n; ++i)
            t[i] = std::isfinite(rows[i].utc) ? std::llround(rows[i].utc * 1000.0) - timeEpochMs_ : kFillTime;
        nc_.write(time_, {start}, {n}, t.data());
    }
    std::vector<short> counts(n);
    auto shorts = [&](int var, auto get) {
        for (std::size_t i = 0; i < n; ++i)
            counts[i] = static_cast<short>(get(rows[i]));
        nc_.write(var, {start}, {n}, counts.data());
    };
    shorts(modeK_, [](const FrameRow& r) { return r.stats.modeClass >= 0 ? r.stats.modeClass + 1 : -1; });
    shorts(zero_, [](const FrameRow& r) { return r.zeroRings; });
    shorts(saturated_, [](const FrameRow& r) { return r.saturatedRings; });
}

void NetcdfCast::storePacked()
{
    for (auto& chunks : packing_)
        for (const NetcdfFile::PackedChunk& chunk : chunks.get())
            nc_.writePacked(chunk);
    packing_.clear();
}

void NetcdfCast::write(const std::string& path)
{
    psdDigest_ = sha256OfFile(cast_.path()).value_or(text::kNcNotFound);
    withVsf_ = holdsScatteringFunction(cast_);
    nc_.create(path);
    defineAll();
    nc_.endDefinitions();
    writeCoordinates();
    if (context_.place)
        writePlace();
    forEachBlock(cast_, times_, [this](const std::vector<FrameRow>& rows) {
        writeBlock(static_cast<std::size_t>(rows.front().frame), rows);
    });
    storePacked();
    nc_.close();
}

// A temporary name beside out, created so that no other writer can have it.
std::string temporaryBeside(const std::string& out)
{
    std::string pattern = out + ".part-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw CastError(out + ": " + text::kExportCannotCreate + errnoText(errno));
    ::close(fd);
    return pattern;
}

// Gives the finished temporary file the permissions a new file gets, then its name.
void renameIntoPlace(const std::string& temp, const std::string& out)
{
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp.c_str(), 0666 & ~mask);
    if (std::rename(temp.c_str(), out.c_str()) != 0) {
        const int error = errno;
        std::remove(temp.c_str());
        throw CastError(out + ": " + text::kExportCannotCreate + errnoText(error));
    }
}

}  // namespace

std::string csvCell(const std::string& s, char separator)
{
    if (s.find_first_of(std::string(1, separator) + "\"\n\r") == std::string::npos)
        return s;
    std::string quoted = "\"";
    for (char c : s)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

ExportContext exportContext(const Settings& settings, const Profile& profile, const std::string& program,
                            const std::string& commandLine)
{
    ExportContext c;
    const CHKInfo channels(&profile);
    for (int i = 0; i < kAux; ++i) {
        const HKChannel* ch = channels.Channel(i);
        c.channels[static_cast<std::size_t>(i)] = {ch->label, ch->units, ch->multiplier, ch->offset};
    }
    c.numIterations = settings.numIterations;
    c.procOpt1 = settings.procOpt1;
    c.autoMultiScan = settings.autoMultiScan;
    c.lRefRatio = settings.lRefRatio;
    c.volConv = GetVolConv(profile, settings.instrumentNumber);
    c.calibrationDir = settings.calFiles;
    c.temperatureMeasuresWater =
        profile.readInt(instrumentSection(settings.instrumentNumber), "WaterTemperature", 0) != 0;
    c.program = program + text::kSourceSuite + KAVRO_VERSION + ")";
    c.commandLine = commandLine;
    return c;
}

void writeNetcdf(const std::string& psd, const std::string& out, const ExportContext& context)
{
    const CastReader cast(psd);
    const FrameTimes times = timesFor(psd);
    writeNetcdfInPlace(out, [&](const std::string& temp) { NetcdfCast(cast, times, context, out).write(temp); });
}

void writeNetcdfInPlace(const std::string& out, const std::function<void(const std::string&)>& write)
{
    const std::string temp = temporaryBeside(out);
    try {
        write(temp);
    } catch (const NetcdfError& e) {
        std::remove(temp.c_str());
        throw CastError(out + ": " + text::kExportNetcdfFailed + e.what());
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    renameIntoPlace(temp, out);
}

bool netcdfMadeWithCalibration(const std::string& path, const ExportContext& context)
{
    return netcdfTextAttribute(path, "", "calibration_folder") == context.calibrationDir;
}

void writeCsv(const std::string& psd, const ExportContext& context, bool decimalComma,
              const std::function<void(const std::string&)>& sink)
{
    const CastReader cast(psd);
    const FrameTimes times = timesFor(psd);
    const char sep = decimalComma ? ';' : ',';
    std::string line = text::kFieldFrame.column;
    auto head = [&](const std::string& name) { line += sep + csvCell(name, sep); };
    if (!times.empty())
        head(text::kFieldTime.column);
    char name[96];
    for (int k = 0; k < kClasses; ++k) {
        const double d = cast.diameters()[static_cast<std::size_t>(k)];
        if (d > 0.0)
            std::snprintf(name, sizeof name, text::kFieldVolume.column, formatG(d, 4).c_str());
        else
            std::snprintf(name, sizeof name, text::kCsvClassColumnByNumber, k + 1);
        head(name);
    }
    for (const text::DataField* f : {&text::kFieldTotal, &text::kFieldMean, &text::kFieldStdDev, &text::kFieldD10,
                                     &text::kFieldD50, &text::kFieldD90, &text::kFieldModeDiameter,
                                     &text::kFieldModeClass, &text::kFieldSlope, &text::kFieldTransmission,
                                     &text::kFieldBeamC})
        head(f->column);
    const auto names = channelNames(context, {});
    for (int i = 0; i < kAux; ++i) {
        const std::string& units = context.channels[static_cast<std::size_t>(i)].units;
        const std::string unitName = variableNameOf(units);
        head(names[static_cast<std::size_t>(i)] + (unitName.empty() ? "" : "_" + unitName));
    }
    for (const text::DataField* f : {&text::kFieldZeroRings, &text::kFieldSaturatedRings, &text::kFieldFlag})
        head(f->column);
    sink(line + "\n");

    auto number = [&](double v, bool asFloat) {
        line += sep;
        if (!std::isfinite(v))
            return;
        std::string t = asFloat ? formatShortest(static_cast<float>(v)) : formatG(v, 7);
        if (decimalComma)
            for (char& c : t)
                if (c == '.')
                    c = ',';
        line += t;
    };
    std::string block;
    forEachBlock(cast, times, [&](const std::vector<FrameRow>& rows) {
        block.clear();
        for (const FrameRow& r : rows) {
            line = std::to_string(r.frame);
            if (!times.empty()) {
                line += sep;
                line += formatUtcTimestamp(r.utc);
            }
            for (float v : r.volume)
                number(v, true);
            for (float v : {r.totalVolume, r.mean, r.stdDev})
                number(v, true);
            for (double v : {r.stats.d10, r.stats.d50, r.stats.d90, r.stats.modeDiameter})
                number(v, false);
            line += sep;
            if (r.stats.modeClass >= 0)
                line += std::to_string(r.stats.modeClass + 1);
            number(r.stats.jungeSlope, false);
            for (float v : {r.transmission, r.beamAttenuation})
                number(v, true);
            for (float v : r.aux)
                number(v, true);
            line += sep + std::to_string(r.zeroRings) + sep + std::to_string(r.saturatedRings) + sep +
                    std::to_string(r.flags) + "\n";
            block += line;
        }
        sink(block);
    });
}

void writeCsvFile(const std::string& psd, const std::string& out, const ExportContext& context, bool decimalComma)
{
    const std::string temp = temporaryBeside(out);
    try {
        OutputFile file;
        if (!file.create(temp))
            throw CastError(out + ": " + text::kExportCannotCreate + file.error());
        writeCsv(psd, context, decimalComma, [&](const std::string& text) {
            if (!file.append(text))
                throw CastError(out + ": " + text::kExportCannotCreate + file.error());
        });
        file.close();
        if (file.failed())
            throw CastError(out + ": " + text::kExportCannotCreate + file.error());
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    renameIntoPlace(temp, out);
}

bool exportWithDialog(const std::string& psd, Prompter& prompter, const Settings& settings, const Profile& profile,
                      const std::function<void(bool)>& busy, std::string* writtenPath)
{
    FileDialogRequest request;
    request.title = text::kExportTitle;
    request.filter = text::kExportFilter;
    request.defaultExtension = "nc";
    request.initialName = stemBeforeFirstDot(fileNamePart(psd)) + ".nc";
    request.initialDirectory = directoryPart(psd);
    request.overwritePrompt = true;
    const std::optional<std::string> chosen = prompter.saveFile(request);
    if (!chosen)
        return false;
    auto tellBusy = [&](bool on) {
        if (busy)
            busy(on);
    };
    try {
        if (sameFile(psd, *chosen))
            throw CastError(*chosen + ": " + text::kExportOverInput);
        ExportContext context = exportContext(settings, profile, text::kSourceDesktop,
                                              std::string(text::kExportHistoryDesktop) + psd);
        std::string warnings;
        context.warn = [&](const std::string& message) { warnings += (warnings.empty() ? "" : "\n") + message; };
        tellBusy(true);
        if (hasExtension(*chosen, ".csv"))
            writeCsvFile(psd, *chosen, context, false);
        else
            writeNetcdf(psd, *chosen, context);
        tellBusy(false);
        if (!warnings.empty())
            prompter.message(warnings, MessageIcon::Exclamation);
    } catch (const CastError& e) {
        tellBusy(false);
        prompter.message(e.what(), MessageIcon::Exclamation);
        return false;
    }
    if (writtenPath)
        *writtenPath = *chosen;
    return true;
}

std::array<std::string, kAux> auxVariableNames(const ExportContext& context, const std::set<std::string>& taken)
{
    return channelNames(context, taken);
}

std::string udunitsText(const std::string& units)
{
    return udunitsSpelling(units);
}

}  // namespace kavro
