#include "app/QtAppDialogs.h"

#include "app/GoToFrameDialog.h"
#include "app/InstrumentDialog.h"
#include "resources/AppTexts.h"

#include <QMessageBox>
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

std::optional<int> QtAppDialogs::askFrameNumber()
{
    GoToFrameDialog dialog(prompter_, parent_);
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
