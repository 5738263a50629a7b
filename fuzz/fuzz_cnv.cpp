// A Sea-Bird .cnv file: arbitrary bytes as the CTD cast of a cast.  Either the
// file is refused with a message naming it, or every scan has a finite time,
// the scans ascend in time, the columns are as long as the times, and the merge
// at any time gives values only inside the scans' span.
#include "fuzz/FuzzSupport.h"
#include "products/CnvFile.h"
#include "products/CtdMerge.h"

#include <cmath>
#include <cstdint>
#include <string>

using namespace kavro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CnvCast cast;
    try {
        cast = parseCnv(text, "f.cnv");
    } catch (const CnvError& e) {
        fuzz::require(std::string(e.what()).rfind("f.cnv: ", 0) == 0, "a problem names the file");
        return 0;
    }
    const std::size_t n = cast.size();
    fuzz::require(n > 0, "a cast read has scans");
    fuzz::require(cast.pressure.size() == n && cast.temperature.size() == n && cast.salinity.size() == n &&
                      cast.depth.size() == n,
                  "one value of each column per scan");
    for (std::size_t i = 0; i < n; ++i) {
        fuzz::require(std::isfinite(cast.utc[i]), "a scan has a time");
        fuzz::require(i == 0 || cast.utc[i - 1] <= cast.utc[i], "scans ascend in time");
    }
    const double first = cast.utc.front(), last = cast.utc.back();
    const CtdTrack track(std::move(cast), static_cast<double>(size % 181) - 90.0);
    for (double t : {first - 1.0, first, 0.5 * (first + last), last, last + 1.0}) {
        const CtdValues v = track.at(t);
        const bool inside = t >= first && t <= last;
        fuzz::require(track.covers(t) == inside, "covered exactly within the span");
        fuzz::require(inside || (std::isnan(v.pressure) && std::isnan(v.depth)), "nothing outside the span");
    }
    return 0;
}
