#pragma once
// The desktop program's Prompter: Qt file dialogs and message boxes with the
// program's titles, filters, initial names and directories.
#include "platform/Prompter.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QFileDialog;

namespace kavro {

// "Name (*.x)|*.x|All (*.*)|*.*||" in Qt's form "Name (*.x);;All (*)": patterns
// separated by ';' become blanks, and "*.*" (every file on Windows) becomes "*".
QStringList qtNameFilters(const std::string& filter);
// True when a file name holds a wildcard and so stands for a pattern, not a file.
bool isNamePattern(const std::string& name);
// Sets up a file dialog for a request: title, filters (an initial name that is a
// pattern becomes the filter shown first), initial directory and name, default
// extension, must-exist and overwrite prompt.
void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save);

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    void message(const std::string& text, MessageIcon icon) override;
    bool askYesNo(const std::string& text) override;
    bool askQuestion(const std::string& text, QuestionStyle style) override;

private:
    std::optional<std::string> runFileDialog(const FileDialogRequest& request, bool save);
    QPointer<QWidget> parent_;
};

}  // namespace kavro
