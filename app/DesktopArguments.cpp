#include "app/DesktopArguments.h"

#include "resources/AppTexts.h"

#include <string_view>

namespace kavro {

DesktopArguments parseDesktopArguments(int argc, const char* const* argv)
{
    DesktopArguments result;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "-h" || arg == "--help")) {
            result.action = DesktopArguments::Action::Help;
            return result;
        } else if (options && arg == "--version") {
            result.action = DesktopArguments::Action::Version;
            return result;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            if (result.action != DesktopArguments::Action::Error) {
                result.action = DesktopArguments::Action::Error;
                result.error = std::string(text::kDesktopUnknownOption) + std::string(arg);
            }
        } else {
            result.files.emplace_back(arg);
        }
    }
    return result;
}

}  // namespace kavro
