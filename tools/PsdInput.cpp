#include "tools/PsdInput.h"

#include "resources/CliProcessTexts.h"
#include "core/Constants.h"
#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"

namespace kavro::cli {

PsdInput::PsdInput(const std::string& path, Environment& env)
    : owner_(-1), file_(SourceContext{env.settings, *env.profile, prompter_}, &owner_)
{
    requireReadableFile(path);
    // A one-off read: a .psd still being logged may be looked at.
    file_.setViewLock(false);
    OpenRequest request;
    request.kind = kKindPsdFile;
    request.input = absoluteFilePath(path);
    try {
        file_.open(request, nullptr);
    } catch (const UserAbort&) {
        throw Failure(kExitBadInput,
                      path + ": " + (prompter_.problems().empty() ? text::kCliNotPsd : prompter_.problems().front()));
    }
}

}  // namespace kavro::cli
