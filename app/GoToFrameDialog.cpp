#include "app/GoToFrameDialog.h"

#include "app/ShellLook.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace kavro {

GoToFrameDialog::GoToFrameDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), edit_(new QLineEdit(this))
{
    setWindowTitle(text::kGoToTitle);
    edit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit_));
    edit_->setText("0");
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
        prompter_.message(text::kEnterInteger, MessageIcon::Exclamation);
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    frame_ = value;
    QDialog::accept();
}

}  // namespace kavro
