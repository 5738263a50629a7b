#include "core/FrameColumnWriter.h"

#include "core/TaskPool.h"

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
