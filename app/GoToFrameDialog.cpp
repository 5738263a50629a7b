#include "app/GoToFrameDialog.h"

#include "app/ShellLook.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <string>

namespace kavro {

GoToFrameDialog::GoToFrameDialog(Prompter& prompter, QWidget* parent, int lastFrame, int current)
    : QDialog(parent), prompter_(prompter), edit_(new QLineEdit(this)), lastFrame_(lastFrame)
{
    setWindowTitle(text::kGoToTitle);
    edit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit_));
    edit_->setText(QString::number(std::max(0, current)));
    edit_->selectAll();

    auto* form = new QFormLayout;
    form->addRow(text::kGoToFrameLabel, edit_);
    addOkCancel(*this, form);
    edit_->setFocus();
}

void GoToFrameDialog::accept()
{
    bool ok = false;
    int value = edit_->text().toInt(&ok);
    if (!ok) {
        refuseBox(prompter_, text::kEnterInteger, edit_);
        return;
    }
    if (lastFrame_ >= 0 && value > lastFrame_) {
        const std::string told =
            text::kFrameOutOfRange + std::to_string(value) + text::kFrameRange + std::to_string(lastFrame_) + ".";
        refuseBox(prompter_, told.c_str(), edit_);
        return;
    }
    frame_ = value;
    QDialog::accept();
}

}  // namespace kavro
