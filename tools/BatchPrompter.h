#pragma once
// The Prompter of kavro-cli: its requests are complete, so a file dialog is never
// wanted (one that is asked for is cancelled and kept as a problem), every yes/no
// question is answered No, and every message is kept, so that a failed open can be
// told in one line.
#include "platform/Prompter.h"

#include <string>
#include <vector>

namespace kavro::cli {

class BatchPrompter : public Prompter {
public:
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    void message(const std::string& text, MessageIcon icon) override;
    bool askYesNo(const std::string& text) override;

    // What went wrong, in the order it was told; the first is the one to report.
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<std::string>& questions() const { return questions_; }

private:
    std::optional<std::string> unanswered(const FileDialogRequest& request);
    std::vector<std::string> problems_;
    std::vector<std::string> questions_;
};

}  // namespace kavro::cli
