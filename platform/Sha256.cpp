#include "platform/Sha256.h"

#include "platform/FileUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KAVRO_SHA_X86 1
#include <cpuid.h>
#include <immintrin.h>
#else
#define KAVRO_SHA_X86 0
#endif

namespace kavro {
namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t rotr(std::uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

void portableBlocks(std::array<std::uint32_t, 8>& state, const unsigned char* p, std::size_t count)
{
    for (; count > 0; --count, p += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = static_cast<std::uint32_t>(p[4 * i]) << 24 | static_cast<std::uint32_t>(p[4 * i + 1]) << 16 |
                   static_cast<std::uint32_t>(p[4 * i + 2]) << 8 | static_cast<std::uint32_t>(p[4 * i + 3]);
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 =
                h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
            const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#if KAVRO_SHA_X86
// The SHA extensions keep the state as two registers, ABEF and CDGH; each
// sha256rnds2 does two rounds, and msg1/msg2 extend the message four words at a time.
__attribute__((target("sha,sse4.1"))) void shaExtensionBlocks(std::array<std::uint32_t, 8>& state,
                                                                const unsigned char* p, std::size_t count)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (; count > 0; --count, p += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        __m128i w[16];
        for (int i = 0; i < 4; ++i)
            w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), byteSwap);
        for (int i = 4; i < 16; ++i)
            w[i] = _mm_sha256msg2_epu32(
                _mm_add_epi32(_mm_sha256msg1_epu32(w[i - 4], w[i - 3]), _mm_alignr_epi8(w[i - 1], w[i - 2], 4)),
                w[i - 1]);
        for (int i = 0; i < 16; ++i) {
            __m128i wk = _mm_add_epi32(w[i], _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRound[4 * i])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
            wk = _mm_shuffle_epi32(wk, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    dcba = _mm_blend_epi16(feba, dchg, 0xF0);
    hgfe = _mm_alignr_epi8(dchg, feba, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), hgfe);
}
#endif

}  // namespace

bool Sha256::available(Kernel kernel)
{
    if (kernel == Kernel::Portable)
        return true;
#if KAVRO_SHA_X86
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_SSE4_1) || !(c & bit_SSSE3))
        return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_SHA);
#else
    return false;
#endif
}

Sha256::Kernel Sha256::fastest()
{
    static const Kernel best = available(Kernel::ShaExtensions) ? Kernel::ShaExtensions : Kernel::Portable;
    return best;
}

Sha256::Sha256(Kernel kernel)
    : kernel_(available(kernel) ? kernel : Kernel::Portable),
      h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19}
{
}

void Sha256::blocks(const unsigned char* p, std::size_t count)
{
#if KAVRO_SHA_X86
    if (kernel_ == Kernel::ShaExtensions) {
        shaExtensionBlocks(h_, p, count);
        return;
    }
#endif
    portableBlocks(h_, p, count);
}

void Sha256::add(const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    length_ += size;
    if (used_ > 0) {
        const std::size_t n = std::min(size, sizeof buffer_ - used_);
        std::memcpy(buffer_ + used_, p, n);
        used_ += n;
        p += n;
        size -= n;
        if (used_ < sizeof buffer_)
            return;
        blocks(buffer_, 1);
        used_ = 0;
    }
    // Whole blocks straight from the caller's bytes; only a tail is kept.
    const std::size_t whole = size / sizeof buffer_;
    if (whole > 0)
        blocks(p, whole);
    p += whole * sizeof buffer_;
    size -= whole * sizeof buffer_;
    std::memcpy(buffer_, p, size);
    used_ = size;
}

std::string Sha256::hexDigest()
{
    const std::uint64_t bits = length_ * 8;
    const unsigned char pad = 0x80;
    add(&pad, 1);
    const unsigned char zero = 0;
    while (used_ != 56)
        add(&zero, 1);
    unsigned char len[8];
    for (int i = 0; i < 8; ++i)
        len[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    add(len, 8);
    std::string hex;
    char two[3];
    for (std::uint32_t v : h_)
        for (int shift = 24; shift >= 0; shift -= 8) {
            std::snprintf(two, sizeof two, "%02x", (v >> shift) & 0xffu);
            hex += two;
        }
    return hex;
}

std::string sha256Hex(std::string_view bytes)
{
    Sha256 s;
    s.add(bytes.data(), bytes.size());
    return s.hexDigest();
}

std::optional<std::string> sha256OfFile(const std::string& path)
{
    std::FILE* f = openRegularFileForReading(path, true);
    if (!f)
        return std::nullopt;
    Sha256 s;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        s.add(buf, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return s.hexDigest();
}

}  // namespace kavro
