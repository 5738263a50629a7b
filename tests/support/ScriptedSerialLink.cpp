#include "tests/support/ScriptedSerialLink.h"

#include <algorithm>
#include <cstring>

namespace kavro::test {

int ScriptedSerialLink::readPending(char* dest, int maxCount)
{
    ++readCalls;
    if (failed_ || maxCount <= 0)
        return 0;
    int n = std::min(maxCount, static_cast<int>(pending_.size()));
    if (readChunk_ > 0)
        n = std::min(n, readChunk_);
    std::memcpy(dest, pending_.data(), static_cast<std::size_t>(n));
    pending_.erase(0, static_cast<std::size_t>(n));
    return n;
}

}  // namespace kavro::test
