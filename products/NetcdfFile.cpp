#include "products/NetcdfFile.h"

#include "platform/FileUtil.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <netcdf.h>
#if KAVRO_HDF5_CHUNKS
#include <hdf5.h>
#include <libdeflate.h>
#endif

namespace kavro {
namespace {

int varOf(int variable)
{
    return variable < 0 ? NC_GLOBAL : variable;
}

// The file stores floats little-endian, as they lie in memory here.
static_assert(std::endian::native == std::endian::little);

#if KAVRO_HDF5_CHUNKS
struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// The open HDF5 file the library made of path; -1 when there is none.  The library
// may hand HDF5 the name written otherwise (on Windows with backslashes), so a name
// that is not the same text is compared as the file it names.
hid_t hdf5FileOf(const std::string& path)
{
    const ssize_t count = H5Fget_obj_count(H5F_OBJ_ALL, H5F_OBJ_FILE);
    if (count <= 0)
        return -1;
    std::vector<hid_t> files(static_cast<std::size_t>(count));
    const ssize_t got = H5Fget_obj_ids(H5F_OBJ_ALL, H5F_OBJ_FILE, files.size(), files.data());
    for (ssize_t i = 0; i < got; ++i) {
        const hid_t file = files[static_cast<std::size_t>(i)];
        const ssize_t length = H5Fget_name(file, nullptr, 0);
        if (length <= 0)
            continue;
        std::string name(static_cast<std::size_t>(length) + 1, '\0');
        H5Fget_name(file, name.data(), name.size());
        name.resize(static_cast<std::size_t>(length));
        if (name == path || sameFile(name, path))
            return file;
    }
    return -1;
}

#endif

// The netCDF-C and HDF5 libraries are not safe to call from two threads at once:
// files written side by side (the casts of kavro-cli cruise) take turns at every
// call, while their reading, analysing and compressing still run side by side.
std::recursive_mutex& libraryTurn()
{
    static std::recursive_mutex turn;
    return turn;
}

}  // namespace

int NetcdfFile::libraryType(Type t)
{
    switch (t) {
    case Byte: return NC_BYTE;
    case UByte: return NC_UBYTE;
    case Short: return NC_SHORT;
    case Int: return NC_INT;
    case Int64: return NC_INT64;
    case Float: return NC_FLOAT;
    case Double: return NC_DOUBLE;
    case Char: return NC_CHAR;
    case String: return NC_STRING;
    }
    return NC_FLOAT;
}

std::string netcdfTextAttribute(const std::string& path, const std::string& variable, const std::string& name)
{
    const std::lock_guard turn(libraryTurn());
    int id = -1;
    if (nc_open(path.c_str(), NC_NOWRITE, &id) != NC_NOERR)
        return "";
    std::string value;
    int var = NC_GLOBAL;
    std::size_t length = 0;
    nc_type type = NC_NAT;
    if ((variable.empty() || nc_inq_varid(id, variable.c_str(), &var) == NC_NOERR) &&
        nc_inq_att(id, var, name.c_str(), &type, &length) == NC_NOERR && type == NC_CHAR) {
        value.resize(length);
        if (nc_get_att_text(id, var, name.c_str(), value.data()) != NC_NOERR)
            value.clear();
    }
    nc_close(id);
    return value;
}

NetcdfFile::~NetcdfFile()
{
    const std::lock_guard turn(libraryTurn());
    if (!failed_)
        closeDatasets();
    // After a failed write (a full disk) the library crashes when asked to abort or
    // close the file, so it is left open: a handle is lost, never the program.
    if (id_ >= 0 && !failed_)
        nc_abort(id_);
}

void NetcdfFile::check(int status, const std::string& what)
{
    if (status != NC_NOERR) {
        failed_ = true;
        throw NetcdfError(what + ": " + nc_strerror(status));
    }
}

void NetcdfFile::create(const std::string& path)
{
    const std::lock_guard turn(libraryTurn());
    // HDF5 closes the files it still holds when the program exits; a file whose
    // write failed (a full disk) crashes that cleanup, so it is left to the system.
    static std::once_flag noExitCleanup;
    // Every chunk is written whole and once, so a small cache is enough; the
    // library's default per variable would hold over a hundred megabytes here.
    std::call_once(noExitCleanup, [] {
#if KAVRO_HDF5_CHUNKS
        H5dont_atexit();
#endif
        nc_set_chunk_cache(2u << 20, 16, 1.0f);
    });
    path_ = path;
    int id = -1;
    check(nc_create(path.c_str(), NC_NETCDF4 | NC_CLOBBER, &id), "create");
    id_ = id;
}

int NetcdfFile::defineDimension(const std::string& name, std::size_t length)
{
    const std::lock_guard turn(libraryTurn());
    int dim = -1;
    check(nc_def_dim(id_, name.c_str(), length == 0 ? NC_UNLIMITED : length, &dim), name);
    return dim;
}

int NetcdfFile::defineVariable(const std::string& name, Type type, const std::vector<int>& dimensions)
{
    const std::lock_guard turn(libraryTurn());
    int var = -1;
    check(nc_def_var(id_, name.c_str(), libraryType(type), static_cast<int>(dimensions.size()), dimensions.data(), &var),
          name);
    return var;
}

void NetcdfFile::compress(int variable, const std::vector<std::size_t>& chunks, int level)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_def_var_chunking(id_, variable, NC_CHUNKED, chunks.data()), "chunking");
    check(nc_def_var_deflate(id_, variable, 1, 1, level), "deflate");
}

void NetcdfFile::text(int variable, const std::string& name, const std::string& value)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_text(id_, varOf(variable), name.c_str(), value.size(), value.data()), name);
}

void NetcdfFile::floats(int variable, const std::string& name, const std::vector<float>& values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_float(id_, varOf(variable), name.c_str(), NC_FLOAT, values.size(), values.data()), name);
}

void NetcdfFile::doubles(int variable, const std::string& name, const std::vector<double>& values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_double(id_, varOf(variable), name.c_str(), NC_DOUBLE, values.size(), values.data()), name);
}

void NetcdfFile::ints(int variable, const std::string& name, const std::vector<int>& values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_int(id_, varOf(variable), name.c_str(), NC_INT, values.size(), values.data()), name);
}

void NetcdfFile::shorts(int variable, const std::string& name, const std::vector<short>& values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_short(id_, varOf(variable), name.c_str(), NC_SHORT, values.size(), values.data()), name);
}

void NetcdfFile::ubytes(int variable, const std::string& name, const std::vector<unsigned char>& values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_ubyte(id_, varOf(variable), name.c_str(), NC_UBYTE, values.size(), values.data()), name);
}

void NetcdfFile::int64s(int variable, const std::string& name, const std::vector<long long>& values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_att_longlong(id_, varOf(variable), name.c_str(), NC_INT64, values.size(), values.data()), name);
}

void NetcdfFile::endDefinitions()
{
    const std::lock_guard turn(libraryTurn());
    check(nc_enddef(id_), "enddef");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const float* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_float(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const double* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_double(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const int* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_int(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const short* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_short(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const unsigned char* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_uchar(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const char* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_text(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const char** values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_string(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const long long* values)
{
    const std::lock_guard turn(libraryTurn());
    check(nc_put_vara_longlong(id_, variable, start.data(), count.data(), values), "write");
}

#if KAVRO_HDF5_CHUNKS
NetcdfFile::PackedChunk NetcdfFile::pack(int variable, const float* values, std::size_t row, std::size_t rows,
                                         std::size_t chunkRows, std::size_t width, int level)
{
    // The shuffle filter: the first bytes of every value, then the second bytes, ...
    const std::size_t n = chunkRows * width;
    std::vector<unsigned char> shuffled(n * sizeof(float));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (std::size_t i = 0; i < n; ++i) {
        const auto bits = std::bit_cast<std::uint32_t>(i < rows * width ? values[i] : nan);
        for (std::size_t b = 0; b < sizeof(float); ++b)
            shuffled[b * n + i] = static_cast<unsigned char>(bits >> (8 * b));
    }
    // The deflate filter: a zlib stream, written by libdeflate (several times faster than zlib).
    thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor;
    thread_local int compressorLevel = -1;
    if (!compressor || compressorLevel != level) {
        compressor.reset(libdeflate_alloc_compressor(level));
        compressorLevel = level;
    }
    if (!compressor)
        throw NetcdfError("compress: out of memory");
    PackedChunk chunk{variable, row, rows, width, {}};
    chunk.bytes.resize(libdeflate_zlib_compress_bound(compressor.get(), shuffled.size()));
    chunk.bytes.resize(libdeflate_zlib_compress(compressor.get(), shuffled.data(), shuffled.size(),
                                                chunk.bytes.data(), chunk.bytes.size()));
    if (chunk.bytes.empty())
        throw NetcdfError("compress: failed");
    return chunk;
}

long long NetcdfFile::datasetOf(int variable)
{
    const std::lock_guard turn(libraryTurn());
    const auto known = datasets_.find(variable);
    if (known != datasets_.end())
        return known->second;
    char name[NC_MAX_NAME + 1] = {};
    check(nc_inq_varname(id_, variable, name), "variable");
    const hid_t file = hdf5FileOf(path_);
    const hid_t dataset = file < 0 ? -1 : H5Dopen2(file, name, H5P_DEFAULT);
    if (dataset < 0) {
        failed_ = true;
        throw NetcdfError(std::string(name) + ": the dataset cannot be opened");
    }
    datasets_[variable] = dataset;
    return dataset;
}

void NetcdfFile::writePacked(const PackedChunk& chunk)
{
    const std::lock_guard turn(libraryTurn());
    const hid_t dataset = datasetOf(chunk.variable);
    hsize_t extent[2] = {0, 1};
    const hid_t space = H5Dget_space(dataset);
    const int rank = space >= 0 ? H5Sget_simple_extent_ndims(space) : -1;
    const bool known = (rank == 1 || rank == 2) && H5Sget_simple_extent_dims(space, extent, nullptr) == rank;
    if (space >= 0)
        H5Sclose(space);
    if (!known || extent[1] != chunk.width) {
        failed_ = true;
        throw NetcdfError("write: the chunk does not fit the variable");
    }
    if (extent[0] < chunk.row + chunk.rows) {
        extent[0] = chunk.row + chunk.rows;
        if (H5Dset_extent(dataset, extent) < 0) {
            failed_ = true;
            throw NetcdfError("write: the variable cannot grow");
        }
    }
    const hsize_t offset[2] = {chunk.row, 0};
    errno = 0;
    if (H5Dwrite_chunk(dataset, H5P_DEFAULT, 0, offset, chunk.bytes.size(), chunk.bytes.data()) < 0) {
        failed_ = true;
        // The system's reason (a full disk, a file too large) where there is one.
        throw NetcdfError(std::string("write: ") + (errno != 0 ? errnoText(errno) : std::string("HDF5 error")));
    }
}

#endif

void NetcdfFile::closeDatasets()
{
    const std::lock_guard turn(libraryTurn());
#if KAVRO_HDF5_CHUNKS
    for (const auto& [variable, dataset] : datasets_)
        H5Dclose(dataset);
#endif
    datasets_.clear();
}

void NetcdfFile::close()
{
    const std::lock_guard turn(libraryTurn());
    if (id_ < 0)
        return;
    // The library closes the file only when nothing of it is open elsewhere.
    closeDatasets();
    // A failed close leaves the file to the library (see the destructor).
    const int id = id_;
    id_ = -1;
    check(nc_close(id), "close");
}

}  // namespace kavro
