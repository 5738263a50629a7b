#include "products/LiveCast.h"

#include "core/CRawSource.h"

#include <algorithm>
#include <cmath>

namespace kavro {

namespace {
constexpr int kPressureChannel = 4;
}

LiveCast::LiveCast(CastSource source, int maxColumns, bool keepRecords)
    : maxColumns_(std::max(2, maxColumns / 2 * 2)), keepRecords_(keepRecords), edges_(source.classEdges())
{
    summary_.source = std::move(source);
    summary_.axis = CastAxis::Frame;
}

void LiveCast::append(const OutputRecord& record, int frameNumber, const RawWords* words)
{
    const long long place = size();
    if (keepRecords_)
        records_.push_back(record);
    numbers_.push_back(frameNumber);
    if (words || !words_.empty()) {
        words_.resize(numbers_.size());
        hasWords_.resize(numbers_.size());
        if (words) {
            words_.back() = *words;
            hasWords_.back() = true;
        }
    }

    const CastLook look = castLookOf(record, summary_.source, edges_);
    CastSummary& s = summary_;
    ++s.frames;
    ++s.shownFrames;  // every frame has its place on the frame axis
    if (!look.hasDistribution)
        ++s.noLightFrames;
    else if (look.flagged)
        ++s.flaggedFrames;
    const float pressure = record[static_cast<std::size_t>(kRecAux + kPressureChannel)];
    if (pressure != 0.0f && std::isfinite(pressure))
        s.pressureSeen = true;

    std::size_t column = static_cast<std::size_t>(place / perColumn_);
    if (column >= columns_.size()) {
        if (static_cast<int>(columns_.size()) == maxColumns_) {
            mergePairs();
            column = static_cast<std::size_t>(place / perColumn_);
        }
        if (column >= columns_.size())
            columns_.resize(column + 1);
    }
    if (columns_[column].add(place, record, look)) {
        ++s.usableFrames;
        widenVolumeRange(record, s.volumeMin, s.volumeMax);
    }
    if (s.columns.size() != columns_.size())
        s.columns.resize(columns_.size());
    refreshColumn(column);
    s.axisFirst = 0.0;
    s.axisLast = static_cast<double>(columns_.size()) * perColumn_;
}

void LiveCast::mergePairs()
{
    // Column 2i and 2i+1 become column i: the frames per column double.
    const std::size_t half = columns_.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        CastColumnAccumulator merged = columns_[2 * i];
        merged.merge(columns_[2 * i + 1]);
        columns_[i] = merged;
    }
    columns_.resize(half);
    perColumn_ *= 2;
    summary_.columns.resize(half);
    for (std::size_t i = 0; i < half; ++i)
        refreshColumn(i);
}

void LiveCast::refreshColumn(std::size_t i)
{
    summary_.columns[i] = columns_[i].finish();
}

CastSource liveCastSource(const CRawSource& source, int model)
{
    CastSource cast;
    cast.path = source.sourceName();
    const PsdRecordBytes header = encodePsdHeader(model, source.laserReferenceRatio(), source.backgroundFileName());
    cast.header = decodePsdHeader(header.data());
    const HKChannel* pressure = source.auxCalibration().Channel(kPressureChannel);
    cast.pressureLabel = pressure->label;
    cast.pressureUnits = pressure->units;
    cast.pressureCalibrated = pressure->multiplier != 0.0;
    return cast;
}

}  // namespace kavro
