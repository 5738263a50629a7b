#pragma once
// The desktop program's command line: the files to open, --help and --version.
// Qt takes its own options (-platform, -style, ...) out of argv first.
#include <string>
#include <vector>

namespace kavro {

struct DesktopArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::vector<std::string> files;  // as given
    std::string error;               // Error: what is wrong
};

// argv[0] is the program; "--" ends the options, and "-" alone is a file name.
DesktopArguments parseDesktopArguments(int argc, const char* const* argv);

}  // namespace kavro
