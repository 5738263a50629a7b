#pragma once
// Locations (dialog 117): the folder the calibration and inversion files are read
// from, and whether the background scatter file is looked for beside the raw data
// file first; and the folder new recordings of the instrument are proposed in.
#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kavro {

class LocationsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 117;

    LocationsDialog(const std::string& directory, int lookBesideRawFile, QWidget* parent = nullptr);

    QLineEdit* directoryEdit() const { return directory_; }
    QCheckBox* lookBesideRawFileBox() const { return lookBesideRawFile_; }
    QPushButton* browseButton() const { return browse_; }
    // Visible while the folder typed names no existing folder (empty: the program's own).
    QLabel* missingFolderWarning() const { return warning_; }
    std::string directory() const;
    int lookBesideRawFile() const;
    // The recordings' folder as stored ("" = the default, shown greyed in the empty field).
    void setDataFolder(const std::string& folder, const std::string& defaultFolder);
    QLineEdit* dataFolderEdit() const { return dataFolder_; }
    QPushButton* dataFolderBrowseButton() const { return dataBrowse_; }
    std::string dataFolder() const;

private:
    void checkFolder();
    void browse();
    void browseDataFolder();

    QLineEdit* directory_;
    QCheckBox* lookBesideRawFile_;
    QPushButton* browse_;
    QLabel* warning_;
    QLineEdit* dataFolder_;
    QPushButton* dataBrowse_;
};

}  // namespace kavro
