#pragma once
// The float variables over frames of a NetCDF file, written a block of frames at
// a time.  Two ways, the same values:
//  - DirectChunks: each chunk is shuffled and deflated on the program's task threads
//    (several at once) and stored as it is through HDF5, one block behind, so
//    that the compressing overlaps the reading of the next block.  The library
//    compresses one chunk after the other, and the compressing is most of the
//    time a long export takes.  Built only with KAVRO_HDF5_CHUNKS.
//  - Library: through the netCDF library's own filters.
#include "products/NetcdfFile.h"

#include <cstddef>
#include <future>
#include <utility>
#include <vector>

namespace kavro {

class FrameColumnWriter {
public:
    enum class Path { Library, DirectChunks };
    // Whether this build writes chunks directly.
    static bool directChunksBuilt();
    // The fastest way this build has.
    static Path fastest() { return directChunksBuilt() ? Path::DirectChunks : Path::Library; }

    // chunkRows and level: the variables' chunk length and deflate level (as given to compress()).
    FrameColumnWriter(NetcdfFile& file, std::size_t chunkRows, int level, Path path = fastest());
    ~FrameColumnWriter();
    FrameColumnWriter(const FrameColumnWriter&) = delete;
    FrameColumnWriter& operator=(const FrameColumnWriter&) = delete;

    // Variables and their values for `rows` frames from frame `start` (a multiple of
    // the chunk length; at most a chunk of rows), width values per frame.
    using Columns = std::vector<std::pair<int, std::vector<float>>>;
    void add(std::size_t start, std::size_t rows, Columns columns, std::size_t width);
    // A column of width values per frame and the columns made from it by scaling
    // each of the values by a factor of its own (variable, width factors): the
    // scaled ones are made where they are compressed, so that a block in flight
    // holds only the source.
    using Scalings = std::vector<std::pair<int, std::vector<double>>>;
    void addScaled(std::size_t start, std::size_t rows, int variable, std::vector<float> values, std::size_t width,
                   const Scalings& scalings);
    // The block's columns are all added: the ones of the block before are stored.
    void endBlock();
    // Stores everything still pending.
    void finish();

private:
    using Packing = std::future<std::vector<NetcdfFile::PackedChunk>>;
    void store(std::vector<Packing>& packing);

    NetcdfFile& file_;
    std::size_t chunkRows_;
    int level_;
    Path path_;
    std::vector<Packing> current_, previous_;
};

}  // namespace kavro
