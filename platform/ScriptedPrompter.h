#pragma once
// A Prompter that answers from a script and records every request: for tests and
// for anything that runs without a person in front of it.
#include "platform/Prompter.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro {

class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Open, Save, Message, Question };
    struct Call {
        Kind kind;
        FileDialogRequest request;  // for Open and Save
        std::string text;           // for Message and Question
        MessageIcon icon = MessageIcon::None;
        QuestionStyle style{};  // for Question
    };
    // One scripted answer: a path (or nothing = Cancel) for file dialogs, yes/no for questions.
    struct Answer {
        std::optional<std::string> path;
        bool yes = false;
    };

    // Queue answers in the order the program will ask.
    ScriptedPrompter& choose(std::string path);
    ScriptedPrompter& cancel();
    ScriptedPrompter& answer(bool yes);

    // A dialog or question without a queued answer is a failure of the script.
    struct Unexpected : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    void message(const std::string& text, MessageIcon icon) override;
    bool askYesNo(const std::string& text) override;
    bool askQuestion(const std::string& text, QuestionStyle style) override;

    const std::vector<Call>& calls() const { return calls_; }
    std::vector<std::string> messages() const;
    std::size_t pendingAnswers() const { return answers_.size(); }

private:
    Answer take(const std::string& what);
    std::deque<Answer> answers_;
    std::vector<Call> calls_;
};

}  // namespace kavro
