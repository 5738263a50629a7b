#include "core/OutputRecord.h"

#include "platform/NumText.h"

#include <bit>
#include <cstring>

namespace kavro {

void putInt32(unsigned char* p, std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(u >> (8 * i));
}

std::int32_t getInt32(const unsigned char* p)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

void putFloat32(unsigned char* p, float v)
{
    putInt32(p, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(v)));
}

float getFloat32(const unsigned char* p)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(getInt32(p)));
}

void putFloat64(unsigned char* p, double v)
{
    auto u = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(u >> (8 * i));
}

double getFloat64(const unsigned char* p)
{
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return std::bit_cast<double>(u);
}

OutputRecord buildOutputRecord(const CFrameResult& result)
{
    OutputRecord r{};
    for (int k = 0; k < kClasses; ++k)
        r[static_cast<std::size_t>(kRecVolume + k)] = static_cast<float>(result.volume(k));
    for (int i = 0; i < kAux; ++i)
        r[static_cast<std::size_t>(kRecAux + i)] = static_cast<float>(result.aux(i));
    for (int i = 0; i < kRings; ++i)
        r[static_cast<std::size_t>(kRecVsf + i)] = static_cast<float>(result.vsf(i));
    r[kRecMean] = static_cast<float>(result.mean());
    r[kRecStdDev] = static_cast<float>(result.stdDev());
    r[kRecTransmission] = static_cast<float>(result.transmission());
    r[kRecBeamC] = static_cast<float>(result.beamAttenuation());
    r[kRecZeroRings] = static_cast<float>(result.zeroRings());
    r[kRecSaturatedRings] = static_cast<float>(result.saturatedRings());
    return r;
}

PsdRecordBytes encodeOutputRecord(const OutputRecord& record)
{
    PsdRecordBytes bytes{};
    for (int i = 0; i < kOutputValues; ++i)
        putFloat32(bytes.data() + 4 * i, record[static_cast<std::size_t>(i)]);
    return bytes;
}

OutputRecord decodeOutputRecordBytes(const unsigned char* bytes)
{
    OutputRecord r{};
    for (int i = 0; i < kOutputValues; ++i)
        r[static_cast<std::size_t>(i)] = getFloat32(bytes + 4 * i);
    return r;
}

namespace {

// Float to int by truncation toward zero, without undefined behaviour for values
// outside the int range or not a number.
int truncateCount(float v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0f)
        return 2147483647;
    if (v <= -2147483648.0f)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

}  // namespace

void decodeIntoResult(const OutputRecord& record, CFrameResult& result)
{
    for (int k = 0; k < kClasses; ++k)
        result.setVolume(k, record[static_cast<std::size_t>(kRecVolume + k)]);
    for (int i = 0; i < kAux; ++i)
        result.setAux(i, record[static_cast<std::size_t>(kRecAux + i)]);
    for (int i = 0; i < kRings; ++i)
        result.setVsf(i, record[static_cast<std::size_t>(kRecVsf + i)]);
    result.setMean(record[kRecMean]);
    result.setStdDev(record[kRecStdDev]);
    result.setTransmission(record[kRecTransmission]);
    result.setBeamAttenuation(record[kRecBeamC]);
    result.setZeroRings(truncateCount(record[kRecZeroRings]));
    result.setSaturatedRings(truncateCount(record[kRecSaturatedRings]));
}

PsdRecordBytes encodePsdHeader(int model, double laserReferenceRatio, const std::string& backgroundPath)
{
    PsdRecordBytes bytes{};
    std::memcpy(bytes.data(), kPsdMagic, 8);
    putInt32(bytes.data() + 8, kPsdHeaderRecords);
    putInt32(bytes.data() + 12, model);
    putFloat64(bytes.data() + 16, laserReferenceRatio);
    std::size_t n = backgroundPath.size();
    if (n > static_cast<std::size_t>(kPsdPathMax)) {
        n = kPsdPathMax;
        // Step back over UTF-8 continuation bytes so no character is cut in half.
        while (n > 0 && (static_cast<unsigned char>(backgroundPath[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(bytes.data() + kPsdPathOffset, backgroundPath.data(), n);
    return bytes;
}

PsdRecordBytes encodeDiameterRecord(const CFrameResult& result)
{
    PsdRecordBytes bytes{};
    for (int k = 0; k < kClasses; ++k)
        putFloat32(bytes.data() + 4 * k, static_cast<float>(result.diameter(k)));
    return bytes;
}

PsdHeader decodePsdHeader(const unsigned char* record)
{
    PsdHeader h;
    h.magicOK = std::memcmp(record, kPsdMagic, 8) == 0;
    h.headerRecords = getInt32(record + 8);
    h.model = getInt32(record + 12);
    h.laserReferenceRatio = getFloat64(record + 16);
    const char* path = reinterpret_cast<const char*>(record + kPsdPathOffset);
    const std::size_t field = kPsdRecordBytes - kPsdPathOffset;
    const void* nul = std::memchr(path, 0, field);
    h.backgroundPath.assign(path, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - path) : field);
    return h;
}

std::string ascLine(const OutputRecord& record, bool withVsf)
{
    std::string line;
    line.reserve(withVsf ? 900 : 520);
    auto put = [&](int entry) {
        line += formatG(static_cast<double>(record[static_cast<std::size_t>(entry)]));
        line += ' ';
    };
    for (int k = 0; k < kClasses; ++k)
        put(kRecVolume + k);
    for (int i = 0; i < kAux; ++i)
        put(kRecAux + i);
    put(kRecTransmission);
    put(kRecBeamC);
    if (withVsf)
        for (int i = 0; i < kRings; ++i)
            put(kRecVsf + i);
    line += '\n';
    return line;
}

std::string logLine(const std::uint16_t words[40])
{
    std::string line;
    line.reserve(240);
    for (int i = 0; i < 40; ++i) {
        line += std::to_string(words[i]);
        line += ' ';
    }
    line += '\n';
    return line;
}

}  // namespace kavro
