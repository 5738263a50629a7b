#pragma once
// Everything the program asks or tells the user goes through a Prompter: the file
// dialogs, the message boxes and the yes/no questions.  The desktop program shows
// real dialogs, kavro-cli answers from its options, the tests follow a script.
#include <optional>
#include <string>

namespace kavro {

struct FileDialogRequest {
    std::string title;
    // "Name (*.x)|*.x|All (*.*)|*.*||": pairs of description and patterns (patterns
    // separated by ';'), each followed by '|', the list ended by a second '|'.
    std::string filter;
    std::string initialName;       // may hold a pattern such as "RingArea*.asc"
    std::string initialDirectory;  // "" = the dialog's default directory
    std::string defaultExtension;  // without the full stop; "" = none
    bool mustExist = false;        // open dialogs: only an existing file is accepted
    bool overwritePrompt = false;  // save dialogs: ask before an existing file is replaced
};

enum class MessageIcon { None, Information, Exclamation, Error };

// How a yes/no question looks.
struct QuestionStyle {
    bool icon = true;        // the question mark beside the text
    bool defaultNo = false;  // Return (the default button) answers No
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // A message box with an OK button.
    virtual void message(const std::string& text, MessageIcon icon = MessageIcon::None) = 0;
    // A Yes/No message box; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // The same question with its look given; a prompter without a screen answers
    // it as askYesNo.
    virtual bool askQuestion(const std::string& text, QuestionStyle) { return askYesNo(text); }
};

// Ends an operation that the user cancelled or that has already told the user why
// it failed: caught where the document (or the command) began, and dropped there.
struct UserAbort {};

}  // namespace kavro
