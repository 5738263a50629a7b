#pragma once
// What the NetCDF and the CSV exports of a cast share: the cast read ahead in
// analysed blocks, its time stamps, the names of the auxiliary channels, and the
// file written beside its final name.
#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "platform/FileReplacement.h"
#include "products/CastExport.h"

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kavro {

// Frames per block read, analysed and written (also the NetCDF chunk length).
inline constexpr std::size_t kExportBlock = 4096;

// The time stamps beside the .psd (<name>.time.csv), none when there is no such
// file; throws CastError naming the time file when it cannot be read.
FrameTimes exportTimesFor(const std::string& psd);

// Reads and analyses the cast a block at a time on a thread of its own, a few
// blocks ahead, and hands the blocks to write in frame order, each frame with its
// time stamp.  write returns false to stop early.  A read error is thrown as
// CastError after the blocks read before it were written.
void forEachFrameBlock(const CastReader& cast, const FrameTimes& times,
                       const std::function<bool(const std::vector<FrameRow>&)>& write);

// Lowercase letters, digits and '_' from a channel label; "" when nothing is left.
std::string variableNameOf(const std::string& label);
// One name per channel: from its label, aux<N> when the label gives none or
// repeats another or a name in taken.
std::array<std::string, kAux> channelNames(const ExportContext& context, const std::set<std::string>& taken);

// The CF standard name of channel i, "" for none: the pressure channel's
// sea_water_pressure in pressure units or depth in metres, the temperature
// channel's sea_water_temperature where it measures the water.
std::string channelStandardName(const ExportContext& context, int i);

// Why a replacement failed, without the file name its error() starts with.
std::string replacementProblem(const FileReplacement& replacement);

}  // namespace kavro
