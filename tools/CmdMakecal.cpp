// kavro-cli makecal DIR: the demo calibration sets of all three models.
#include "tools/Commands.h"
#include "sim/DemoCalibration.h"
#include "sim/NumberFiles.h"


namespace kavro::cli {

void runMakecal(const MakecalCommand& c)
{
    try {
        demo::writeCalibrationSet(c.dir);
    } catch (const demo::DemoError& e) {
        throw Failure(kExitBadInput, e.what());
    }
}

}  // namespace kavro::cli
