#include "core/NetcdfFile.h"

#include <hdf5.h>
#include <mutex>
#include <netcdf.h>

namespace kavro {
namespace {

nc_type typeOf(NetcdfFile::Type t)
{
    switch (t) {
    case NetcdfFile::Byte: return NC_BYTE;
    case NetcdfFile::UByte: return NC_UBYTE;
    case NetcdfFile::Short: return NC_SHORT;
    case NetcdfFile::Int: return NC_INT;
    case NetcdfFile::Float: return NC_FLOAT;
    case NetcdfFile::Double: return NC_DOUBLE;
    }
    return NC_FLOAT;
}

int varOf(int variable)
{
    return variable < 0 ? NC_GLOBAL : variable;
}

}  // namespace

NetcdfFile::~NetcdfFile()
{
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
    // HDF5 closes the files it still holds when the program exits; a file whose
    // write failed (a full disk) crashes that cleanup, so it is left to the system.
    static std::once_flag noExitCleanup;
    // Every chunk is written whole and once, so a small cache is enough; the
    // library's default per variable would hold over a hundred megabytes here.
    std::call_once(noExitCleanup, [] {
        H5dont_atexit();
        nc_set_chunk_cache(2u << 20, 16, 1.0f);
    });
    path_ = path;
    int id = -1;
    check(nc_create(path.c_str(), NC_NETCDF4 | NC_CLOBBER, &id), "create");
    id_ = id;
}

int NetcdfFile::defineDimension(const std::string& name, std::size_t length)
{
    int dim = -1;
    check(nc_def_dim(id_, name.c_str(), length == 0 ? NC_UNLIMITED : length, &dim), name);
    return dim;
}

int NetcdfFile::defineVariable(const std::string& name, Type type, const std::vector<int>& dimensions)
{
    int var = -1;
    check(nc_def_var(id_, name.c_str(), typeOf(type), static_cast<int>(dimensions.size()), dimensions.data(), &var),
          name);
    return var;
}

void NetcdfFile::compress(int variable, const std::vector<std::size_t>& chunks, int level)
{
    check(nc_def_var_chunking(id_, variable, NC_CHUNKED, chunks.data()), "chunking");
    check(nc_def_var_deflate(id_, variable, 1, 1, level), "deflate");
}

void NetcdfFile::text(int variable, const std::string& name, const std::string& value)
{
    check(nc_put_att_text(id_, varOf(variable), name.c_str(), value.size(), value.data()), name);
}

void NetcdfFile::floats(int variable, const std::string& name, const std::vector<float>& values)
{
    check(nc_put_att_float(id_, varOf(variable), name.c_str(), NC_FLOAT, values.size(), values.data()), name);
}

void NetcdfFile::doubles(int variable, const std::string& name, const std::vector<double>& values)
{
    check(nc_put_att_double(id_, varOf(variable), name.c_str(), NC_DOUBLE, values.size(), values.data()), name);
}

void NetcdfFile::ints(int variable, const std::string& name, const std::vector<int>& values)
{
    check(nc_put_att_int(id_, varOf(variable), name.c_str(), NC_INT, values.size(), values.data()), name);
}

void NetcdfFile::shorts(int variable, const std::string& name, const std::vector<short>& values)
{
    check(nc_put_att_short(id_, varOf(variable), name.c_str(), NC_SHORT, values.size(), values.data()), name);
}

void NetcdfFile::ubytes(int variable, const std::string& name, const std::vector<unsigned char>& values)
{
    check(nc_put_att_ubyte(id_, varOf(variable), name.c_str(), NC_UBYTE, values.size(), values.data()), name);
}

void NetcdfFile::endDefinitions()
{
    check(nc_enddef(id_), "enddef");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const float* values)
{
    check(nc_put_vara_float(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const double* values)
{
    check(nc_put_vara_double(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const int* values)
{
    check(nc_put_vara_int(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const short* values)
{
    check(nc_put_vara_short(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
                       const unsigned char* values)
{
    check(nc_put_vara_uchar(id_, variable, start.data(), count.data(), values), "write");
}

void NetcdfFile::close()
{
    if (id_ < 0)
        return;
    // A failed close leaves the file to the library (see the destructor).
    const int id = id_;
    id_ = -1;
    check(nc_close(id), "close");
}

}  // namespace kavro
