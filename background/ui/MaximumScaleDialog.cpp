#include "background/ui/MaximumScaleDialog.h"

#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"
#include "resources/BackgroundTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kavro {

MaximumScaleDialog::MaximumScaleDialog(double current, Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), edit_(new QLineEdit(this)), value_(current)
{
    setWindowTitle(text::kMaxScaleTitle);
    // Fifteen digits, so that OK without a change keeps the maximum as it was.
    edit_->setText(QString::fromStdString(formatG(current, 15)));
    edit_->selectAll();

    auto* form = new QFormLayout;
    form->addRow(text::kMaxScaleLabel, edit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    edit_->setFocus();
}

void MaximumScaleDialog::accept()
{
    // The whole box must be one number; blanks around it are allowed.
    const std::string entry = edit_->text().trimmed().toStdString();
    std::size_t used = 0;
    std::optional<double> number = scanDouble(entry, &used);
    if (!number || used != entry.size()) {
        prompter_.message(text::kEnterNumber, MessageIcon::Exclamation);
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    value_ = *number;
    QDialog::accept();
}

}  // namespace kavro
