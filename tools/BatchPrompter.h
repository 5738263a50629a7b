#pragma once
// The Prompter of kavro-cli: every file dialog is answered with the path the
// options gave for its title, every yes/no question with No, and every message is
// kept, so that a failed open can be told in one line.
#include "platform/Prompter.h"

#include <map>
#include <string>
#include <vector>

namespace kavro::cli {

class BatchPrompter : public Prompter {
public:
    // The answer to the file dialog with this title.
    void answer(const std::string& dialogTitle, const std::string& path) { answers_[dialogTitle] = path; }

    // An open dialog that wants an existing file gets none when the file is missing
    // (the problem is kept); a dialog nobody answers is cancelled.
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    void message(const std::string& text, MessageIcon icon) override;
    bool askYesNo(const std::string& text) override;

    // What went wrong, in the order it was told; the first is the one to report.
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<std::string>& questions() const { return questions_; }

private:
    std::optional<std::string> answerFor(const FileDialogRequest& request);
    std::map<std::string, std::string> answers_;
    std::vector<std::string> problems_;
    std::vector<std::string> questions_;
};

}  // namespace kavro::cli
