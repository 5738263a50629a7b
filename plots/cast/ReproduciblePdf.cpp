#include "plots/cast/ReproduciblePdf.h"

#include <QDateTime>
#include <QTimeZone>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kavro {

void stampPdf(std::string& pdf, double created)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(created)), QTimeZone::utc());
    const std::string digits = when.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
    for (std::size_t at = pdf.find("(D:"); at != std::string::npos; at = pdf.find("(D:", at + 1)) {
        const std::size_t end = pdf.find(')', at);
        if (end == std::string::npos)
            break;
        // D:YYYYMMDDHHmmSS then a zone (Z, +HH'mm'): the zone becomes UTC of the same length.
        const std::size_t length = end - at - 3;
        if (length < 14)
            continue;
        std::string stamp = digits;
        const std::size_t zone = length - 14;
        stamp += zone == 0 ? "" : zone == 1 ? "Z" : std::string("+00'00'").substr(0, zone);
        if (stamp.size() == length)
            pdf.replace(at + 3, length, stamp);
    }
    // XMP dates: 2026-12-09T23:52:50 followed by a zone.
    const std::string iso = when.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toStdString();
    for (const char* key : {"xmp:CreateDate=\"", "xmp:ModifyDate=\""})
        for (std::size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1)) {
            const std::size_t from = at + std::strlen(key), end = pdf.find('"', from);
            if (end == std::string::npos || end - from < 19)
                continue;
            std::string stamp = iso;
            const std::size_t zone = end - from - 19;
            stamp += zone == 0 ? "" : zone == 1 ? "Z" : std::string("+00:00").substr(0, zone);
            if (stamp.size() == end - from)
                pdf.replace(from, end - from, stamp);
        }
    // The identifier: its hexadecimal digits from a digest (FNV-1a) of everything else.
    const std::size_t id = pdf.rfind("/ID [");
    if (id == std::string::npos)
        return;
    const std::size_t idEnd = pdf.find(']', id);
    if (idEnd == std::string::npos)
        return;
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < pdf.size(); ++i)
        if (i < id || i > idEnd)
            h = (h ^ static_cast<unsigned char>(pdf[i])) * 1099511628211ull;
    static constexpr char kHex[] = "0123456789abcdef";
    std::uint64_t bits = h;
    for (std::size_t i = id + 5; i < idEnd; ++i)
        if (std::isxdigit(static_cast<unsigned char>(pdf[i]))) {
            pdf[i] = kHex[bits & 15];
            bits = bits >> 4 ? bits >> 4 : (h = h * 1099511628211ull + 1);
        }
}


}  // namespace kavro
