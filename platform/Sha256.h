#pragma once
// SHA-256 (FIPS 180-4) of bytes and of files, for the provenance of exported data:
// a reader can check that the calibration and background files named in a file are
// the very ones that were used.  Small enough to keep here instead of a crypto library.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavro {

class Sha256 {
public:
    // How the 64-byte blocks are compressed: in plain C++, or with the SHA instructions of
    // x86 processors that have them (about five times faster on a large .psd).  Both give
    // the same digest; the default takes the fastest this processor has.
    enum class Kernel { Portable, ShaExtensions };
    static bool available(Kernel kernel);
    static Kernel fastest();

    explicit Sha256(Kernel kernel = fastest());
    void add(const void* data, std::size_t size);
    // The digest as 64 lowercase hex digits; the object is spent afterwards.
    std::string hexDigest();

private:
    void blocks(const unsigned char* p, std::size_t count);
    Kernel kernel_;
    std::array<std::uint32_t, 8> h_;
    unsigned char buffer_[64];
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
};

std::string sha256Hex(std::string_view bytes);
// The digest of a regular file's content; nothing when it cannot be read.
std::optional<std::string> sha256OfFile(const std::string& path);

}  // namespace kavro
