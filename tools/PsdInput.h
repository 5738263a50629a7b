#pragma once
// A .psd file opened for kavro-cli through the same CPDFile as the desktop
// program; a file without the KAVRO400 header is refused (the CLI answers No).
#include "core/CPDFile.h"
#include "tools/BatchPrompter.h"
#include "tools/CliCommon.h"

namespace kavro::cli {

class PsdInput {
public:
    // Throws Failure ("<path>: <problem>") when the file cannot be replayed.
    PsdInput(const std::string& path, Environment& env);
    CPDFile& file() { return file_; }

private:
    BatchPrompter prompter_;
    FixedModelOwner owner_;
    CPDFile file_;
};

}  // namespace kavro::cli
