#pragma once
// The result files' byte layouts: the 128-value output record of a frame, the
// .psd file's records (little-endian, 512 bytes each), the .asc line and the .log line.
#include "core/CFrameResult.h"

#include <array>
#include <cstdint>
#include <string>

namespace kavro {

inline constexpr int kOutputValues = 128;
inline constexpr int kPsdRecordBytes = 512;
inline constexpr int kPsdHeaderRecords = 2;
inline constexpr const char* kPsdMagic = "KAVRO400";
// Entries of the output record.
inline constexpr int kRecVolume = 0;
inline constexpr int kRecAux = 64;
inline constexpr int kRecVsf = 72;
inline constexpr int kRecMean = 104;
inline constexpr int kRecStdDev = 105;
inline constexpr int kRecTransmission = 106;
inline constexpr int kRecBeamC = 107;
inline constexpr int kRecZeroRings = 108;
inline constexpr int kRecSaturatedRings = 109;
// The background path field of the header: bytes 24..511, NUL-terminated.
inline constexpr int kPsdPathOffset = 24;
inline constexpr int kPsdPathMax = kPsdRecordBytes - kPsdPathOffset - 1;  // 487 characters

using OutputRecord = std::array<float, kOutputValues>;
using PsdRecordBytes = std::array<unsigned char, kPsdRecordBytes>;

OutputRecord buildOutputRecord(const CFrameResult& result);
PsdRecordBytes encodeOutputRecord(const OutputRecord& record);
OutputRecord decodeOutputRecordBytes(const unsigned char* bytes);
// The frame result from a stored record (entries 32..63 and 110..127 ignored, the
// total volume untouched, the ring counts truncated toward zero).
void decodeIntoResult(const OutputRecord& record, CFrameResult& result);

// Record 0: magic, header record count 2, model, laser reference ratio, background path
// (cut to the field's 487 characters, never in the middle of a UTF-8 character).
PsdRecordBytes encodePsdHeader(int model, double laserReferenceRatio, const std::string& backgroundPath);
// Record 1: the 32 class diameters as float32.
PsdRecordBytes encodeDiameterRecord(const CFrameResult& result);

// The fields of a .psd file's record 0, as stored (nothing checked but the magic).
struct PsdHeader {
    bool magicOK = false;
    std::int32_t headerRecords = 0;
    std::int32_t model = 0;
    double laserReferenceRatio = 0.0;
    std::string backgroundPath;  // up to the first NUL of the field, or the whole field
};
PsdHeader decodePsdHeader(const unsigned char* record);

// One .asc line: 32 volumes, 8 aux values, transmission, c, then with withVsf the
// 32 VSF values; each "%g" followed by a blank, then "\n".
std::string ascLine(const OutputRecord& record, bool withVsf);
// One .log line: the 40 words "%u" each followed by a blank, then "\n".
std::string logLine(const std::uint16_t words[40]);

inline std::string bytesOf(const PsdRecordBytes& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Little-endian helpers.
void putInt32(unsigned char* p, std::int32_t v);
std::int32_t getInt32(const unsigned char* p);
void putFloat32(unsigned char* p, float v);
float getFloat32(const unsigned char* p);
void putFloat64(unsigned char* p, double v);
double getFloat64(const unsigned char* p);

}  // namespace kavro
