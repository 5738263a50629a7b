#pragma once
// A serial line inside the process: the simulator at one end (an InstrumentPort),
// the program's instrument source at the other (a SerialLink), with no device and
// no operating system in between.  Bytes arrive in order and at once; the
// simulator's own delays and split replies still apply.  Either end may be used
// from its own thread.
#include "platform/SerialLink.h"
#include "sim/InstrumentPort.h"

#include <memory>

namespace kavro {

struct LoopbackLine {
    std::unique_ptr<InstrumentPort> instrument;
    std::unique_ptr<SerialLink> program;
};

// A new line.  The program's end opens as any port; once the instrument's end
// has hung up (or is gone) the program's end fails, as an unplugged device does.
LoopbackLine makeLoopbackLine();

}  // namespace kavro
