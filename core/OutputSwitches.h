#pragma once
// Which output files a source writes.  The program keeps one block of nine
// switches (edited by the Output Options dialog, never stored); a source copies the
// five of its group when it is built, so a change applies to later sources only.

namespace kavro {

// The five switches of one source, in their slot order.
struct OutputSwitches {
    int rawBinary = 0;  // ".raw": stored and reported, no output depends on it
    int asciiRaw = 0;   // ".log"
    int binarySize = 0; // ".psd"
    int asciiSize = 0;  // ".asc"
    int vsfInAscii = 0; // the volume scattering function in the .asc lines
};

struct OutputSwitchBlock {
    // 0-4: instrument .asc, .log, .psd, .raw, VSF; 5-8: raw data file .asc, .log, .psd, VSF.
    int value[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};

    OutputSwitches instrumentSet() const { return {value[3], value[1], value[2], value[0], value[4]}; }
    // A raw data file never has the .raw switch.
    OutputSwitches rawFileSet() const { return {0, value[6], value[7], value[5], value[8]}; }
};

}  // namespace kavro
