#include "app/LocationsDialog.h"

#include "app/ShellLook.h"
#include "resources/AppTexts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kavro {

LocationsDialog::LocationsDialog(const std::string& directory, int lookBesideRawFile, QWidget* parent)
    : QDialog(parent),
      directory_(new QLineEdit(QString::fromStdString(directory), this)),
      lookBesideRawFile_(new QCheckBox(QString::fromUtf8(text::kLookBesideRawFile), this))
{
    setWindowTitle(text::kLocationsTitle);
    directory_->setMinimumWidth(320);
    lookBesideRawFile_->setChecked(lookBesideRawFile != 0);

    auto* content = new QVBoxLayout;
    content->addWidget(new QLabel(QString::fromUtf8(text::kLocationsText), this));
    content->addWidget(new QLabel(QString::fromUtf8(text::kLocationsFiles), this));
    auto* form = new QFormLayout;
    form->addRow(text::kDirectoryLabel, directory_);
    content->addLayout(form);
    auto* group = new QGroupBox(QString::fromUtf8(text::kBackgroundGroup), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(lookBesideRawFile_);
    content->addWidget(group);
    addOkCancel(*this, content);
}

std::string LocationsDialog::directory() const
{
    return directory_->text().toStdString();
}

int LocationsDialog::lookBesideRawFile() const
{
    return lookBesideRawFile_->isChecked() ? 1 : 0;
}

}  // namespace kavro
