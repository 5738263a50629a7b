#pragma once
// A prompter that answers the next open-file dialog with a path chosen beforehand
// (a file named on the desktop program's command line) and hands everything else,
// the questions after that one included, to the prompter it wraps.
#include "platform/Prompter.h"

#include <memory>
#include <utility>

namespace kavro {

class PresetPrompter : public Prompter {
public:
    explicit PresetPrompter(std::unique_ptr<Prompter> inner) : inner_(std::move(inner)) {}

    // The answer of the next open-file request, once; nothing: ask as usual.
    void presetOpenFile(std::optional<std::string> path) { preset_ = std::move(path); }

    std::optional<std::string> openFile(const FileDialogRequest& request) override
    {
        if (preset_)
            return std::exchange(preset_, std::nullopt);
        return inner_->openFile(request);
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override
    {
        return inner_->saveFile(request);
    }
    void message(const std::string& text, MessageIcon icon) override { inner_->message(text, icon); }
    bool askYesNo(const std::string& text) override { return inner_->askYesNo(text); }
    bool askQuestion(const std::string& text, QuestionStyle style) override
    {
        return inner_->askQuestion(text, style);
    }

private:
    std::unique_ptr<Prompter> inner_;
    std::optional<std::string> preset_;
};

}  // namespace kavro
