#include "app/QtAppDialogs.h"

#include "platform/FileUtil.h"

#include "app/GoToFrameDialog.h"
#include "app/InstrumentDialog.h"
#include "resources/AppTexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace kavro {

std::optional<InstrumentChoice> QtAppDialogs::askInstrumentPort(int port, int model, const PortDevices& devices)
{
    InstrumentDialog dialog(InstrumentDialog::kPortDialog, port, model, parent_, devices);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return InstrumentChoice{dialog.port(), dialog.model(), dialog.device()};
}

std::optional<int> QtAppDialogs::askInstrumentModel(int model)
{
    InstrumentDialog dialog(InstrumentDialog::kModelDialog, 0, model, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.model();
}

std::optional<int> QtAppDialogs::askFrameNumber(int lastFrame, int current)
{
    GoToFrameDialog dialog(prompter_, parent_, lastFrame, current);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.frame();
}

bool QtAppDialogs::askPrint(QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

void QtAppDialogs::showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& render)
{
    QPrintPreviewDialog dialog(&printer, parent_);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [&render](QPrinter* p) { render(*p); });
    dialog.exec();
}

void QtAppDialogs::askPageSetup(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, parent_);
    dialog.exec();
}

void QtAppDialogs::showAbout()
{
    QMessageBox box(QMessageBox::Information, text::kAboutTitle, text::kAboutText, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace kavro

namespace kavro {

std::optional<bool> QtAppDialogs::askRecording(const std::string& proposedPath)
{
    QMessageBox box(QMessageBox::Question, text::kRecordingQuestionTitle,
                    QString::fromUtf8(text::kRecordingQuestion) + QString::fromStdString(proposedPath) +
                        QString::fromUtf8(text::kRecordingQuestionEnd),
                    QMessageBox::NoButton, parent_);
    QPushButton* record = box.addButton(QString::fromUtf8(text::kRecordButton), QMessageBox::AcceptRole);
    QPushButton* without = box.addButton(QString::fromUtf8(text::kWithoutRecordingButton), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(record);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == record)
        return true;
    if (box.clickedButton() == without)
        return false;
    return std::nullopt;
}

std::optional<ExistingCast> QtAppDialogs::askExistingCast(const std::string& path, const std::string& freeName)
{
    QMessageBox box(QMessageBox::Question, text::kExistingCastTitle,
                    QString::fromUtf8(text::kExistingCastQuestion) + QString::fromStdString(path) +
                        QString::fromUtf8(text::kExistingCastQuestionEnd),
                    QMessageBox::NoButton, parent_);
    QPushButton* resume = box.addButton(QString::fromUtf8(text::kContinueCastButton), QMessageBox::AcceptRole);
    QPushButton* fresh = box.addButton(QString::fromUtf8(text::kNewCastButton) +
                                           QString::fromStdString(fileNamePart(freeName)),
                                       QMessageBox::AcceptRole);
    QPushButton* replace = box.addButton(QString::fromUtf8(text::kReplaceCastButton), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(resume);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == resume)
        return ExistingCast::Continue;
    if (box.clickedButton() == fresh)
        return ExistingCast::NewName;
    if (box.clickedButton() == replace)
        return ExistingCast::Replace;
    return std::nullopt;
}

}  // namespace kavro
