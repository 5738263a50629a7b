#pragma once
// The questions of the desktop program that complete an open request: the file
// dialogs, and for the instrument whether to record when no output is on and what
// to do with a cast whose .psd exists already (continue it, a new name, replace it).
#include "core/OpenQuestions.h"

#include <ctime>
#include <string>

namespace kavro {

class AppDialogs;

class DesktopQuestions : public PrompterQuestions {
public:
    // dataFolder: where a new recording is proposed.
    DesktopQuestions(Prompter& prompter, AppDialogs& dialogs, std::string dataFolder)
        : PrompterQuestions(prompter), dialogs_(dialogs), dataFolder_(std::move(dataFolder))
    {
    }
    void beforeOutputs(OpenRequest& request) override;
    std::optional<std::string> output(OpenRequest& request, const std::string& proposal) override;
    bool replaceBeside(const std::vector<std::string>& existing) override;

    // "<folder>/<name>-20261209-170203.psd" for a recording begun at time.
    static std::string proposedRecordingPath(const std::string& folder, const std::string& name, const std::tm& time);

private:
    // The save dialog, and what to do with a live cast that exists.
    std::optional<std::string> chooseOutput(OpenRequest& request, const std::string& proposal);
    AppDialogs& dialogs_;
    std::string dataFolder_;
    bool replaceWholeCast_ = false;  // Replace was chosen for a cast that exists
};

}  // namespace kavro
