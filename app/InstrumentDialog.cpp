#include "app/InstrumentDialog.h"

#include "app/ShellLook.h"
#include "core/Settings.h"
#include "resources/AppTexts.h"

#include <QComboBox>
#include <QFormLayout>

namespace kavro {

InstrumentDialog::InstrumentDialog(int dialogId, int port, int model, QWidget* parent)
    : QDialog(parent), modelBox_(new QComboBox(this))
{
    auto* form = new QFormLayout;
    if (dialogId == kPortDialog) {
        setWindowTitle(text::kInstrumentPortTitle);
        portBox_ = new QComboBox(this);
        for (int i = 0; i < 4; ++i)
            portBox_->addItem(QString::fromStdString(Settings::portName(i)));
        portBox_->setCurrentIndex(port);
        form->addRow(text::kSerialPortLabel, portBox_);
    } else {
        setWindowTitle(text::kInstrumentModelTitle);
    }
    for (const char* name : text::kModelNames)
        modelBox_->addItem(name);
    modelBox_->setCurrentIndex(model);
    form->addRow(text::kInstrumentModelLabel, modelBox_);

    addOkCancel(*this, form);
}

int InstrumentDialog::port() const
{
    return portBox_ ? portBox_->currentIndex() : -1;
}

int InstrumentDialog::model() const
{
    return modelBox_->currentIndex();
}

}  // namespace kavro
