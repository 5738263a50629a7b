#pragma once
// Fixed texts of the background scatter builder, its verdict and kavro-cli background.
// A "%d" in a text is replaced by a count.

#include "resources/RawFileTexts.h"  // the raw data filter and the multi-scan question

namespace kavro::text {

inline constexpr const char* kFactoryUnreadable = "Could not open the factory zero scatter file";
inline constexpr const char* kNoBackgroundRecords = "Unable to build background scattering file. No records read.";

// The verdict; every line ends with "\r\n".
inline constexpr const char* kBadFactoryFile = "BAD factory background scatter file.\r\n";
inline constexpr const char* kLaserTooLow = "Laser power is too low compared to factory value.\r\n";
inline constexpr const char* kRingsExceedFactory =
    "Average ring values exceed factory by a factor of at least 2.0 for %d ring(s).\r\n";
inline constexpr const char* kZeroRingRecords = "Ring values of 0 occurred in %d record(s).\r\n";
inline constexpr const char* kSaturatedRecords = "Saturated ring values occurred in %d record(s).\r\n";
inline constexpr const char* kFramesCollected = "%d frames collected.\r\n";

// The file dialogs.
inline constexpr const char* kBackgroundOutputTitle = "Open OUTPUT background scattering File";
inline constexpr const char* kBackgroundOutputName = "zsc.asc";
inline constexpr const char* kAsciiFilter = "ASCII (*.asc)|*.asc|All (*.*)|*.* ||";
inline constexpr const char* kFactoryChooseTitle = "Open FACTORY background scattering File";
inline constexpr const char* kRawBackgroundTitle = "Open Raw Background Data File";

// kavro-cli background
inline constexpr const char* kCliMultiScanUndecided =
    "holds summed 16-scan records and AutoMultiScan is 0: say --multiscan yes or --multiscan no";
inline constexpr const char* kCliOutputWritten = "Background scatter file written: %s\n";
inline constexpr const char* kCliRatioStored = "LRefRatio %s stored in %s\n";
inline constexpr const char* kCliRatioUnchanged = "LRefRatio unchanged (laser reference or laser power not above 100)\n";

}  // namespace kavro::text
