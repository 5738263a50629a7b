#include "platform/System.h"

#include "platform/FileUtil.h"

#include <chrono>
#include <thread>

namespace kavro {

std::string executableDirectory()
{
    return directoryPart(executablePath());
}

void sleepMilliseconds(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

long long wallSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

long long steadySeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace kavro
