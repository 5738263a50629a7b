#include "tools/CruiseJob.h"

#include "core/CInvPars.h"
#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "core/TimeStamps.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "products/CfConventions.h"
#include "products/CtdMerge.h"
#include "resources/CliProcessTexts.h"
#include "resources/CruiseTexts.h"
#include "resources/DataTexts.h"
#include "tools/ProcessJob.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace kavro::cli {
namespace {

Failure badInput(const std::string& file, const std::string& problem)
{
    return Failure(kExitBadInput, file + ": " + problem);
}

std::string keyPath(const std::string& outDir, const std::string& cast)
{
    return joinPath(joinPath(outDir, text::kCruiseStateFolder), cast + ".key");
}

// Everything a cast's files depend on besides the files themselves: when it
// changes, --update makes them again.
std::string castKey(const StationRow& row, const CruiseSetup& setup, int model, const std::string& calDir,
                    const std::string& program)
{
    std::string key = program + "\n" + row.recording + "\n" + row.cast + "\n" + row.station + "\n" +
                      formatG(row.latitude, 17) + " " + formatG(row.longitude, 17) + "\n" +
                      (row.startUtc ? formatG(*row.startUtc, 17) : std::string("-")) + " " +
                      formatG(row.interval, 17) + "\n" + std::to_string(model) + "\n" + calDir + "\n" + row.ctd +
                      "\n";
    for (const ExtraAttribute& a : row.attributes)
        key += a.name + (a.number ? "#" : "=") + a.text + "\n";
    key += "--\n";
    for (const auto& [name, value] : setup.attributes)
        key += name + "=" + value + "\n";
    return key;
}

// The model a cast is made with differs from the one its .psd or calibration says.
void warnModel(const StationRow& row, const CruiseSetup& setup, int model, int found, const std::string& where)
{
    if (!setup.warn)
        return;
    char b[1200];
    std::snprintf(b, sizeof b, text::kStationModelDiffers, setup.logPath.c_str(), row.line, model, found,
                  where.c_str());
    setup.warn(b);
}

void copyFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec)
        throw badInput(to, std::string(text::kCliWriteFailed) + ec.message());
}

}  // namespace

std::string castPsdPath(const std::string& outDir, const std::string& cast)
{
    return joinPath(joinPath(outDir, "psd"), cast + ".psd");
}

std::string castNcPath(const std::string& outDir, const std::string& cast)
{
    return joinPath(joinPath(outDir, "nc"), cast + ".nc");
}

ExportContext cruiseContext(const CruiseSetup& setup)
{
    const Environment env = loadEnvironment(setup.profileOption);
    return exportContext(env.settings, *env.profile, text::kSourceCli, setup.commandLine);
}

std::optional<CastPending> beginCast(const StationRow& row, const CruiseSetup& setup)
{
    // Each cast reads the profile on its own: casts run on threads of their own.
    const Environment env = loadEnvironment(setup.profileOption);
    const int model = row.model.value_or(env.settings.storedInstrumentModel(*env.profile));
    const std::string calDir = row.calDir.empty() ? env.settings.calFiles : row.calDir;
    const std::string psd = castPsdPath(setup.outDir, row.fileName);
    const std::string nc = castNcPath(setup.outDir, row.fileName);
    const std::string times = timeStampPathFor(psd);
    ExportContext context = exportContext(env.settings, *env.profile, text::kSourceCli, setup.commandLine);
    const std::string key = castKey(row, setup, model, calDir, context.program);
    const bool isPsd = hasExtension(row.recording, ".psd");
    if (sameFile(row.recording, psd))
        throw badInput(row.recording, text::kCliOutputIsInput);

    // The settings profile and the calibration count as inputs too.
    std::vector<std::string> inputs = {row.recording, env.profile->path()};
    if (!isPsd) {
        inputs.push_back(defaultBackground(row.recording, calDir, env.settings.pdFirst));
        const ModelFiles files = modelFiles(model);
        for (const std::string& name : {files.kernel, files.h, files.diameters, files.gain})
            inputs.push_back(joinPath(calDir, name));
    } else {
        inputs.push_back(frameTimesPathFor(row.recording));
    }
    if (!row.ctd.empty())
        inputs.push_back(row.ctd);
    std::string stored;
    std::error_code ec;
    if (setup.update && readWholeFile(keyPath(setup.outDir, row.fileName), stored) && stored == key &&
        upToDate(psd, inputs) && upToDate(nc, {psd, times}) &&
        (!row.startUtc || std::filesystem::exists(times, ec)))
        return std::nullopt;

    std::filesystem::remove(keyPath(setup.outDir, row.fileName), ec);
    // A CTD file that cannot be read fails the cast before it is processed.
    context.ctd = readRowCtd(row);
    if (isPsd) {
        try {
            const CastReader input(row.recording);  // a file that is no .psd is told by its own name
            if (row.model && *row.model != input.model())
                warnModel(row, setup, *row.model, input.model(), row.recording);
        } catch (const CastError& e) {
            throw Failure(kExitBadInput, e.what());
        }
        // Copied as it is; every reader leaves out what a power loss left at its end.
        warnEach(cutOffNotes(row.recording));
        copyFile(row.recording, psd);
        std::filesystem::remove(times, ec);
        if (row.startUtc) {
            const CastReader copy(psd);
            writeNominalTimes(psd, 0, static_cast<int>(copy.frameCount()), *row.startUtc, row.interval);
        } else if (std::filesystem::exists(frameTimesPathFor(row.recording), ec)) {
            copyFile(frameTimesPathFor(row.recording), times);
        }
    } else {
        // A calibration folder holds the files of one model or of several: one that
        // lacks the model's files but holds another's was made for that other model.
        if (!std::filesystem::exists(pathFromUtf8(joinPath(calDir, modelFiles(model).kernel)), ec))
            for (int other = 0; other < 3; ++other)
                if (other != model &&
                    std::filesystem::exists(pathFromUtf8(joinPath(calDir, modelFiles(other).kernel)), ec)) {
                    warnModel(row, setup, model, other, calDir);
                    break;
                }
        ProcessOptions options;
        options.model = model;
        options.calDir = calDir;
        options.ringArea = findRingAreaFile(calDir, model);
        options.quiet = true;
        options.threads = 1;  // the casts are what runs side by side
        if (row.startUtc)
            options.startTime = formatUtcTimestamp(*row.startUtc);
        options.interval = row.interval;
        std::filesystem::remove(times, ec);
        processRecording(row.recording, psd, options, env);
    }

    context.calibrationDir = calDir;
    context.warn = setup.warn;
    context.place = ExportContext::Place{row.cast, row.station, row.latitude, row.longitude};
    for (const auto& [name, value] : setup.attributes)
        if (name == "id")  // the cruise's identifier, made the cast's own
            context.extraAttributes.push_back({name, value + "_" + row.fileName, std::nullopt});
        else if (name != "title")
            context.extraAttributes.push_back({name, value, std::nullopt});
    context.extraAttributes.push_back({"cast", row.cast, std::nullopt});
    // A column named like an attribute the program writes keeps its value beside it.
    for (ExtraAttribute attribute : row.attributes) {
        if (isComputedAttribute(attribute.name))
            attribute.name = "log_" + attribute.name;
        context.extraAttributes.push_back(std::move(attribute));
    }
    return CastPending{psd, nc, key, std::move(context)};
}

void finishCast(const StationRow& row, const CruiseSetup& setup, const CastPending& pending)
{
    // NetcdfFile takes turns with the other casts at the library.
    writeNetcdf(pending.psd, pending.nc, pending.context);
    std::string error;
    if (!replaceFileAtomically(keyPath(setup.outDir, row.fileName), pending.key, &error))
        throw Failure(kExitBadInput, error);  // the reason names the file
}

bool produceCast(const StationRow& row, const CruiseSetup& setup, std::shared_ptr<const CtdTrack>* ctd)
{
    const std::optional<CastPending> pending = beginCast(row, setup);
    if (pending)
        finishCast(row, setup, *pending);
    if (pending && ctd)
        *ctd = pending->context.ctd;
    return pending.has_value();
}

std::shared_ptr<const CtdTrack> readRowCtd(const StationRow& row)
{
    if (row.ctd.empty())
        return nullptr;
    try {
        return std::make_shared<const CtdTrack>(readCnv(row.ctd), row.latitude);
    } catch (const CnvError& e) {
        throw Failure(kExitBadInput, e.what());
    }
}

CastOutcome analyseCast(const StationRow& row, const CruiseSetup& setup, const ExportContext& context, bool pictures,
                        std::shared_ptr<const CtdTrack> ctd)
{
    if (!ctd)
        ctd = readRowCtd(row);
    const std::string psd = castPsdPath(setup.outDir, row.fileName);
    CastOutcome out;
    ProfileCast& cast = out.cast;
    cast.name = row.cast;
    cast.station = row.station;
    cast.latitude = row.latitude;
    cast.longitude = row.longitude;
    cast.attributes = row.attributes;
    FrameTimes times;
    const std::string timesPath = frameTimesPathFor(psd);
    std::error_code ec;
    if (std::filesystem::exists(timesPath, ec)) {
        std::string error;
        if (!readFrameTimes(timesPath, times, error))
            throw badInput(timesPath, error);
    }
    try {
        const CastReader reader(psd);
        cast.model = reader.model();
        cast.diameters = reader.diameters();
        const BinVertical vertical = binVerticalFor(ctd.get(), setup.ctdCruise,
                                                    context.channels[kDepthChannel].units, row.latitude);
        if (vertical.source == VerticalSource::None && setup.warn) {
            char b[1200];
            std::snprintf(b, sizeof b, text::kCruiseNotBinned, setup.logPath.c_str(), row.line, row.cast.c_str());
            setup.warn(b);
        }
        cast.profile = binCast(reader, times, setup.binSize, vertical);
        if (ctd)
            out.ctdAtFrames = std::make_shared<const CtdFrames>(*ctd, times, reader.frameCount());
        if (!pictures)
            return out;
        CastSource source;
        source.path = psd;
        source.headerRecords = static_cast<int>(reader.header().headerRecords);
        source.header = reader.header();
        source.diameters = reader.diameters();
        const auto& pressure = context.channels[kDepthChannel];
        source.pressureLabel = pressure.label;
        source.pressureUnits = pressure.units;
        source.pressureCalibrated = pressure.multiplier != 0.0;
        source.frameTimes = times;
        out.overview = summariseCast(source, kOverviewColumns, times.empty() ? CastAxis::Frame : CastAxis::Time);
        if (ctd) {
            // Drawn against what the cast is binned on: the CTD's depth at each frame
            // (NaN, so not drawn, outside the CTD's span or without a time).
            std::vector<double> depths(static_cast<std::size_t>(std::max(0LL, reader.frameCount())));
            for (std::size_t n = 0; n < depths.size(); ++n)
                depths[n] = ctd->depthAt(times.utcOfRecord(static_cast<long long>(n)));
            out.profile = summariseCast(source, kProfileColumns, CastAxis::Depth, depths);
        } else {
            out.profile = summariseCast(source, kProfileColumns, CastAxis::Pressure);
        }
        // The report's pictures show no frame cursor, which alone needs the time
        // stamps: kept until the report for every cast, two copies took 1.6 MB a cast
        // of 50,000 frames.
        out.overview.source.frameTimes = FrameTimes{};
        out.profile.source.frameTimes = FrameTimes{};
    } catch (const CastError& e) {
        throw Failure(kExitBadInput, e.what());
    } catch (const std::runtime_error& e) {
        throw Failure(kExitBadInput, e.what());
    }
    return out;
}

}  // namespace kavro::cli
