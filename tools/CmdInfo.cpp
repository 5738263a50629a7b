// kavro-cli info: what a raw recording or a .psd file holds.
#include "acquisition/CRawFile.h"
#include "core/CInvPars.h"
#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CliProcessTexts.h"
#include "resources/CoreTexts.h"
#include "resources/DataTexts.h"
#include "tools/Commands.h"
#include "tools/PsdInput.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

namespace kavro::cli {
namespace {

struct ChannelRange {
    unsigned min = 65535, max = 0;
};

void rawInfo(const std::string& path, const Environment& env, TextSink& out)
{
    RawRecordFile file;
    if (!file.open(path))
        throw Failure(kExitBadInput, path + ": " + errnoText(errno));
    ChannelRange range[kAux];
    long long zeroWords = 0, saturatedWords = 0;
    int zeroFrames = 0, saturatedFrames = 0, marked = 0;
    const int frames = file.forEachRecord([&](int, const std::uint16_t* words) {
        const FrameSummary s = summarizeRecord(words);
        for (int i = 0; i < kAux; ++i) {
            range[i].min = std::min<unsigned>(range[i].min, s.aux[i]);
            range[i].max = std::max<unsigned>(range[i].max, s.aux[i]);
        }
        zeroWords += s.zeroRings;
        saturatedWords += s.saturatedRings;
        zeroFrames += s.zeroRings > 0;
        saturatedFrames += s.saturatedRings > 0;
        marked += words[kLaserPowerIndex] > kMultiScanLaserWord;
    });

    out.format(text::kInfoFile, path.c_str());
    out.add(text::kInfoRawKind);
    out.format(text::kInfoFrames, frames);
    if (file.trailingBytes() > 0)
        out.format(text::kInfoTrailing, file.trailingBytes());
    out.format(text::kInfoMarked, marked);
    const bool multiScan = marked > kMultiScanMarkedRecords && env.settings.autoMultiScan != 0;
    if (marked <= kMultiScanMarkedRecords)
        out.add(text::kInfoSingleScan);
    else if (multiScan)
        out.format(text::kInfoMultiScan, env.settings.autoMultiScan);
    else
        out.add(text::kInfoMultiScanAsked);

    if (frames > 0) {
        const CHKInfo channels(env.profile.get());
        out.format(text::kInfoChannelsHead, multiScan ? text::kInfoDivided : "");
        for (int i = 0; i < kAux; ++i) {
            const HKChannel* c = channels.Channel(i);
            const double divisor = multiScan ? kScanDivisor : 1.0;
            const double a = c->engineering(range[i].min / divisor), b = c->engineering(range[i].max / divisor);
            out.format(text::kInfoChannel, i + 1, c->label.c_str(), range[i].min, range[i].max, std::min(a, b),
                        std::max(a, b), c->units.c_str());
        }
    }
    out.format(text::kInfoZeroRings, zeroWords, zeroFrames);
    out.format(text::kInfoSaturatedRings, saturatedWords, saturatedFrames);
}

std::string valueOrNone(double v)
{
    return std::isfinite(v) ? formatG(v, 4) : text::kInfoNone;
}

// The derived statistics and quality flags of the whole cast.
void castSummary(const std::string& path, TextSink& out)
{
    CastFigures s;
    try {
        const CastReader cast(path);
        s = castFigures(cast);
        warnEach(cutOffNotes(cast, s.timesHalfLine));
    } catch (const CastError& e) {
        throw Failure(kExitBadInput, e.what());
    }
    out.format(text::kInfoCastDistribution, s.withDistribution);
    out.format(text::kInfoCastMedianD50, valueOrNone(s.medianD50).c_str());
    out.format(text::kInfoCastMeanRange, valueOrNone(s.minMean).c_str(), valueOrNone(s.maxMean).c_str());
    out.format(text::kInfoCastTotal, valueOrNone(s.meanTotalVolume).c_str());
    if (!s.timesProblem.empty())
        out.format(text::kInfoCastTimesProblem, s.timesProblem.c_str());
    else if (s.stamped == 0)
        out.add(text::kInfoCastNoTimes);
    else
        out.format(text::kInfoCastTimes, formatUtcTimestamp(s.firstUtc).c_str(), formatUtcTimestamp(s.lastUtc).c_str(),
                   s.stamped, s.frames);
    out.add(text::kInfoCastHead);
    for (int b = 0; b < kQualityFlagCount; ++b)
        out.format(text::kInfoCastFlag, text::kFlagMeanings[b], s.byFlag[static_cast<std::size_t>(b)]);
    out.format(text::kInfoCastUnflagged, text::kInfoUnflaggedName, s.unflagged);
}

void psdInfo(const std::string& path, Environment& env, TextSink& out)
{
    PsdInput input(path, env);
    CPDFile& file = input.file();
    const PsdHeader& h = file.header();
    out.format(text::kInfoFile, path.c_str());
    out.add(text::kInfoPsdKind);
    out.format(text::kInfoHeaderRecords, h.headerRecords);
    out.format(text::kInfoModel, h.model, modelLetter(h.model));
    out.format(text::kInfoRatio, formatG(h.laserReferenceRatio).c_str());
    out.format(text::kInfoBackground, h.backgroundPath.c_str());
    out.format(text::kInfoRecords, file.recordCount() - file.headerRecordCount());
    if (file.zeroFilledRecords() > 0)
        out.format(text::kInfoZeroFilled, file.zeroFilledRecords());
    if (file.trailingBytes() > 0)
        out.format(text::kInfoTrailing, file.trailingBytes());
    out.add(text::kInfoDiameters);
    for (int k = 0; k < kClasses; ++k)
        out.format(" %s", formatG(file.frameResult().diameter(k)).c_str());
    out.format("\n");
    castSummary(path, out);
}

// A .psd by its name or its magic; anything else is taken as a raw recording.
bool looksLikePsd(const std::string& path)
{
    return hasExtension(path, ".psd") || CastReader::isPsdFile(path);
}

}  // namespace

void runInfo(const InfoCommand& c)
{
    if (c.output != kStandardOutput && !c.output.empty() && sameFile(c.file, c.output))
        throw Failure(kExitUsage, c.output + ": " + text::kCliOutputIsInput);
    Environment env = loadEnvironment(c.profile);
    // The input is judged before the output is made, so a bad input leaves no file behind.
    requireReadableFile(c.file);
    TextSink out(c.output);
    if (looksLikePsd(c.file))
        psdInfo(c.file, env, out);
    else
        rawInfo(c.file, env, out);
    out.close();
}

}  // namespace kavro::cli
