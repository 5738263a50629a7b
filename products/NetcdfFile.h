#pragma once
// A thin owner of a netCDF-4 file being written through the netCDF-C library: every
// call that fails throws NetcdfError with the library's reason, and a file that is
// not closed properly is aborted when the owner goes.
#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro {

struct NetcdfError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A text attribute of an existing file (variable "" = global); empty when the file,
// the variable or the attribute is not there.
std::string netcdfTextAttribute(const std::string& path, const std::string& variable, const std::string& name);

class NetcdfFile {
public:
    // The library's type codes, so that callers need not include netcdf.h.
    enum Type { Byte, UByte, Short, Int, Int64, Float, Double, Char, String };
    // The library's own code (an nc_type) of a type.
    static int libraryType(Type t);

    NetcdfFile() = default;
    ~NetcdfFile();
    NetcdfFile(const NetcdfFile&) = delete;
    NetcdfFile& operator=(const NetcdfFile&) = delete;

    // Creates (or truncates) a netCDF-4 file and enters define mode.
    void create(const std::string& path);
    // A dimension; length 0 makes it unlimited.
    int defineDimension(const std::string& name, std::size_t length);
    int defineVariable(const std::string& name, Type type, const std::vector<int>& dimensions);
    // Chunk shape and deflate level (with the shuffle filter) of a variable.
    void compress(int variable, const std::vector<std::size_t>& chunks, int level);
    // Attributes; variable -1 means a global attribute.
    void text(int variable, const std::string& name, const std::string& value);
    void floats(int variable, const std::string& name, const std::vector<float>& values);
    void doubles(int variable, const std::string& name, const std::vector<double>& values);
    void ints(int variable, const std::string& name, const std::vector<int>& values);
    void shorts(int variable, const std::string& name, const std::vector<short>& values);
    void ubytes(int variable, const std::string& name, const std::vector<unsigned char>& values);
    void int64s(int variable, const std::string& name, const std::vector<long long>& values);
    void endDefinitions();
    // Writes a block: start and count per dimension.
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const float* values);
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const double* values);
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const int* values);
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const short* values);
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const unsigned char* values);
    // Text of a Char variable (names padded with NUL to the last dimension's length).
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const char* values);
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const long long* values);
    // Texts of a String variable (NC_STRING, UTF-8).
    void write(int variable, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
               const char** values);
    // A chunk of a float variable over frames (one dimension, or two of frames x
    // width; chunked as chunkRows frames, with the shuffle and deflate of
    // compress()) compressed outside the library, so that several chunks are
    // compressed at once: the library compresses one chunk after the other, and the
    // compression is most of the time a long export takes.  The bytes are what the
    // library's own filters would have stored.
    struct PackedChunk {
        int variable = -1;
        std::size_t row = 0, rows = 0, width = 1;
        std::vector<unsigned char> bytes;
    };
    // rows frames of width values from frame row on (row a multiple of chunkRows,
    // rows at most chunkRows; a short chunk is filled up with NaN).  Touches no
    // file, so it may run on any thread.
    static PackedChunk pack(int variable, const float* values, std::size_t row, std::size_t rows,
                            std::size_t chunkRows, std::size_t width, int level);
    // Stores a packed chunk as it is, its variable grown to hold its rows.
    void writePacked(const PackedChunk& chunk);
    // Writes everything out and closes; throws when that fails.
    void close();

private:
    void check(int status, const std::string& what);
    long long datasetOf(int variable);
    void closeDatasets();
    std::map<int, long long> datasets_;  // HDF5 handles opened by writePacked
    int id_ = -1;
    bool failed_ = false;
    std::string path_;
};

}  // namespace kavro
