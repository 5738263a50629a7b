#include "app/LocationsDialog.h"

#include "app/ShellLook.h"
#include "resources/AppTexts.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

namespace kavro {

LocationsDialog::LocationsDialog(const std::string& directory, int lookBesideRawFile, QWidget* parent)
    : QDialog(parent),
      directory_(new QLineEdit(QString::fromStdString(directory), this)),
      lookBesideRawFile_(new QCheckBox(QString::fromUtf8(text::kLookBesideRawFile), this)),
      browse_(new QPushButton(QString::fromUtf8(text::kBrowseFolderButton), this)),
      warning_(new QLabel(QString::fromUtf8(text::kNoSuchFolder), this)),
      dataFolder_(new QLineEdit(this)),
      dataBrowse_(new QPushButton(QString::fromUtf8(text::kBrowseFolderButton), this))
{
    setWindowTitle(text::kLocationsTitle);
    directory_->setMinimumWidth(360);
    lookBesideRawFile_->setChecked(lookBesideRawFile != 0);
    browse_->setAutoDefault(false);
    QPalette warningColours = warning_->palette();
    warningColours.setColor(QPalette::WindowText, QColor(176, 0, 0));
    warning_->setPalette(warningColours);

    auto* content = new QVBoxLayout;
    content->addWidget(new QLabel(QString::fromUtf8(text::kLocationsText), this));
    content->addWidget(new QLabel(QString::fromUtf8(text::kLocationsFiles), this));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(directory_, 1);
    folderRow->addWidget(browse_);
    auto* form = new QFormLayout;
    form->addRow(text::kDirectoryLabel, folderRow);
    form->addRow(QString(), warning_);
    content->addLayout(form);
    auto* group = new QGroupBox(QString::fromUtf8(text::kBackgroundGroup), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(lookBesideRawFile_);
    content->addWidget(group);
    auto* recordings = new QGroupBox(QString::fromUtf8(text::kRecordingsGroup), this);
    auto* recordingsLayout = new QHBoxLayout(recordings);
    recordingsLayout->addWidget(dataFolder_, 1);
    recordingsLayout->addWidget(dataBrowse_);
    dataBrowse_->setAutoDefault(false);
    content->addWidget(recordings);
    addOkCancel(*this, content);

    connect(directory_, &QLineEdit::textChanged, this, &LocationsDialog::checkFolder);
    connect(browse_, &QPushButton::clicked, this, &LocationsDialog::browse);
    connect(dataBrowse_, &QPushButton::clicked, this, &LocationsDialog::browseDataFolder);
    checkFolder();
}

void LocationsDialog::checkFolder()
{
    const std::string folder = directory_->text().toStdString();
    std::error_code error;
    warning_->setVisible(!folder.empty() && !std::filesystem::is_directory(folder, error));
}

void LocationsDialog::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QString::fromUtf8(text::kChooseCalibrationFolder),
                                                             directory_->text());
    if (!chosen.isEmpty())
        directory_->setText(chosen);
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

namespace kavro {

void LocationsDialog::setDataFolder(const std::string& folder, const std::string& defaultFolder)
{
    dataFolder_->setText(QString::fromStdString(folder));
    dataFolder_->setPlaceholderText(QString::fromStdString(defaultFolder));
}

std::string LocationsDialog::dataFolder() const
{
    return dataFolder_->text().trimmed().toStdString();
}

void LocationsDialog::browseDataFolder()
{
    const QString start = dataFolder_->text().isEmpty() ? dataFolder_->placeholderText() : dataFolder_->text();
    const QString chosen = QFileDialog::getExistingDirectory(this, QString::fromUtf8(text::kChooseDataFolder), start);
    if (!chosen.isEmpty())
        dataFolder_->setText(chosen);
}

}  // namespace kavro
