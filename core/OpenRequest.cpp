#include "core/OpenRequest.h"

#include "core/Constants.h"
#include "core/Settings.h"

namespace kavro {

OpenRequest OpenRequest::fromSettings(int kind, const Settings& settings, int model)
{
    OpenRequest r;
    r.kind = kind;
    r.model = model;
    r.calibrationFolder = settings.calFiles;
    if (kind == kKindInstrument)
        r.switches = settings.outputs.instrumentSet();
    else if (kind == kKindRawFile)
        r.switches = settings.outputs.rawFileSet();
    return r;
}

}  // namespace kavro
