// The .psd reader: arbitrary bytes as a .psd file, opened through CPDFile (file
// dialog, header check, the magic question answered as the input says), then
// navigated at random.  The current frame stays on a data record of the file,
// and every record that navigation reads is the one at the current frame.
#include "core/CPDFile.h"
#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

using namespace kavro;

namespace {

float storedFloat(const std::string& file, long long record, int entry)
{
    const unsigned char* p =
        reinterpret_cast<const unsigned char*>(file.data()) + record * kPsdRecordBytes + 4 * entry;
    return getFloat32(p);
}

bool sameFloat(float a, float b)
{
    return (a != a && b != b) || std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool continueWithoutMagic = input.ConsumeBool();
    const int steps = input.ConsumeIntegralInRange<int>(0, 24);
    std::vector<std::pair<int, int>> moves;
    for (int i = 0; i < steps; ++i)
        moves.emplace_back(input.ConsumeIntegralInRange<int>(0, 5), input.ConsumeIntegral<int>());
    const std::string file = input.ConsumeRemainingBytesAsString();
    const std::string path = fuzz::scratchFile("run.psd");
    fuzz::writeBytes(path, file);

    Settings settings;
    Profile profile(fuzz::scratchFile("none.INI"));
    ScriptedPrompter prompter;
    prompter.choose(path).answer(continueWithoutMagic);
    FixedModelOwner owner(0);
    CPDFile source(SourceContext{settings, profile, prompter}, &owner);
    try {
        source.open();
    } catch (const UserAbort&) {
        return 0;
    }
    // The whole records of the file, less the all-zero ones at its end when it has a
    // sound header (what a power cut leaves).
    long long records = static_cast<long long>(file.size()) / kPsdRecordBytes;
    const PsdHeader head = records > 0 ? decodePsdHeader(reinterpret_cast<const unsigned char*>(file.data()))
                                       : PsdHeader{};
    if (head.magicOK && head.headerRecords >= 1 && head.headerRecords <= records)
        while (records > head.headerRecords &&
               file.find_first_not_of('\0', static_cast<std::size_t>((records - 1) * kPsdRecordBytes)) >=
                   static_cast<std::size_t>(records * kPsdRecordBytes))
            --records;
    fuzz::require(source.recordCount() == records, "the record count is the whole records of the file");
    fuzz::require(source.zeroFilledRecords() == static_cast<long long>(file.size()) / kPsdRecordBytes - records,
                  "the zero-filled end is the rest of the whole records");
    const int first = source.headerRecordCount();
    fuzz::require(first >= 0 && first <= records, "the header records are within the file");
    fuzz::require(owner.instrumentModel() >= 0 && owner.instrumentModel() <= 2, "the document gets a known model");

    for (const auto& [kind, n] : moves) {
        int read = 0;
        switch (kind) {
        case 0: read = source.nextFrame(); break;
        case 1: read = source.previousFrame(); break;
        case 2: read = source.rewind(); break;
        case 3: read = source.lastFrame(); break;
        case 4: read = source.goToFrame(n); break;
        default: (void)source.readNextFrame(); continue;
        }
        const int current = source.currentFrame();
        fuzz::require(read == 0 || read == 1, "navigation answers 0 or 1");
        fuzz::require(current >= first && current <= std::max<long long>(first, records - 1),
                      "the current frame stays on a record of the file, past the header");
        fuzz::require(source.frameNumber() == current - first, "the frame number counts from the first data record");
        if (read == 1) {
            fuzz::require(current < records, "a record read is in the file");
            fuzz::require(sameFloat(static_cast<float>(source.transmission()),
                                    storedFloat(file, current, kRecTransmission)),
                          "the record read is the one at the current frame");
            fuzz::require(sameFloat(static_cast<float>(source.rawValue(32)), storedFloat(file, current, kRecAux)),
                          "the stored aux values are the current record's");
        }
        for (int kind2 = 0; kind2 <= 6; ++kind2)
            (void)source.value(kind2, n % 48);
    }
    source.close();
    return 0;
}
