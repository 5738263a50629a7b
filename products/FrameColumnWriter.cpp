#include "products/FrameColumnWriter.h"

#include "products/TaskPool.h"

namespace kavro {

bool FrameColumnWriter::directChunksBuilt()
{
#if KAVRO_HDF5_CHUNKS
    return true;
#else
    return false;
#endif
}

FrameColumnWriter::FrameColumnWriter(NetcdfFile& file, std::size_t chunkRows, int level, Path path)
    : file_(file), chunkRows_(chunkRows), level_(level), path_(directChunksBuilt() ? path : Path::Library)
{
}

FrameColumnWriter::~FrameColumnWriter()
{
    // A write that failed half way: the compressing still running is waited for, never stored.
    for (auto* packing : {&previous_, &current_})
        for (Packing& p : *packing)
            if (p.valid())
                p.wait();
}

void FrameColumnWriter::add(std::size_t start, std::size_t rows, Columns columns, std::size_t width)
{
    if (path_ == Path::Library) {
        for (const auto& [var, values] : columns) {
            if (width == 1)
                file_.write(var, {start}, {rows}, values.data());
            else
                file_.write(var, {start, 0}, {rows, width}, values.data());
        }
        return;
    }
#if KAVRO_HDF5_CHUNKS
    current_.push_back(TaskPool::shared().submit([columns = std::move(columns), start, rows, width,
                                                       chunkRows = chunkRows_, level = level_] {
        std::vector<NetcdfFile::PackedChunk> chunks;
        for (const auto& [var, values] : columns)
            chunks.push_back(NetcdfFile::pack(var, values.data(), start, rows, chunkRows, width, level));
        return chunks;
    }));
#endif
}

namespace {

std::vector<float> scaled(const std::vector<float>& values, const std::vector<double>& factors)
{
    std::vector<float> out(values.size());
    const std::size_t width = factors.size();
    for (std::size_t i = 0; i < values.size(); ++i)
        out[i] = static_cast<float>(values[i] * factors[i % width]);
    return out;
}

}  // namespace

void FrameColumnWriter::addScaled(std::size_t start, std::size_t rows, int variable, std::vector<float> values,
                                  std::size_t width, const Scalings& scalings)
{
    if (path_ == Path::Library) {
        for (const auto& [var, factors] : scalings)
            file_.write(var, {start, 0}, {rows, width}, scaled(values, factors).data());
        file_.write(variable, {start, 0}, {rows, width}, values.data());
        return;
    }
#if KAVRO_HDF5_CHUNKS
    current_.push_back(TaskPool::shared().submit([values = std::move(values), scalings, variable, start, rows, width,
                                                       chunkRows = chunkRows_, level = level_] {
        std::vector<NetcdfFile::PackedChunk> chunks;
        chunks.push_back(NetcdfFile::pack(variable, values.data(), start, rows, chunkRows, width, level));
        for (const auto& [var, factors] : scalings)
            chunks.push_back(NetcdfFile::pack(var, scaled(values, factors).data(), start, rows, chunkRows, width, level));
        return chunks;
    }));
#endif
}

void FrameColumnWriter::store(std::vector<Packing>& packing)
{
#if KAVRO_HDF5_CHUNKS
    for (Packing& p : packing)
        for (const NetcdfFile::PackedChunk& chunk : p.get())
            file_.writePacked(chunk);
#endif
    packing.clear();
}

void FrameColumnWriter::endBlock()
{
    store(previous_);
    previous_ = std::move(current_);
    current_.clear();
}

void FrameColumnWriter::finish()
{
    store(previous_);
    store(current_);
}

}  // namespace kavro
