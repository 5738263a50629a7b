#include "app/InstrumentDialog.h"

#include "app/ShellLook.h"
#include "core/Settings.h"
#include "resources/AppTexts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace kavro {

InstrumentDialog::InstrumentDialog(int dialogId, int port, int model, QWidget* parent, const PortDevices& devices)
    : QDialog(parent), devices_(devices), modelBox_(new QComboBox(this))
{
    auto* form = new QFormLayout;
    if (dialogId == kPortDialog) {
        setWindowTitle(text::kInstrumentPortTitle);
        portBox_ = new QComboBox(this);
        for (int i = 0; i < 4; ++i)
            portBox_->addItem(QString::fromStdString(Settings::portName(i)));
        portBox_->setCurrentIndex(port);
        form->addRow(text::kSerialPortLabel, portBox_);

        deviceBox_ = new QComboBox(this);
        deviceBox_->setEditable(true);
        deviceBox_->setInsertPolicy(QComboBox::NoInsert);
        deviceBox_->setToolTip(text::kSerialDeviceTip);
        deviceBox_->lineEdit()->setPlaceholderText(text::kNoSerialDevices);
        deviceBox_->setMinimumContentsLength(36);
        for (const SerialDevice& d : devices_.present)
            deviceBox_->addItem(QString::fromStdString(describeSerialDevice(d)), QString::fromStdString(d.path));
        form->addRow(text::kSerialDeviceLabel, deviceBox_);

        portDevicesLabel_ = new QLabel(this);
        portDevicesLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(text::kPortDevicesLabel, portDevicesLabel_);
        connect(portBox_, &QComboBox::currentIndexChanged, this, [this](int index) { showDeviceOf(index); });
        showDeviceOf(portBox_->currentIndex());
        showPortDevices();
    } else {
        setWindowTitle(text::kInstrumentModelTitle);
    }
    for (const char* name : text::kModelNames)
        modelBox_->addItem(name);
    modelBox_->setCurrentIndex(model);
    form->addRow(text::kInstrumentModelLabel, modelBox_);

    addOkCancel(*this, form);
}

void InstrumentDialog::showDeviceOf(int port)
{
    if (port < 0 || port > 3)
        return;
    const std::string& mapped = devices_.mapped[static_cast<std::size_t>(port)];
    // The entry of the device the port opens now, by its path or the node it leads to.
    for (std::size_t i = 0; i < devices_.present.size(); ++i)
        if (devices_.present[i].path == mapped || devices_.present[i].target == mapped) {
            deviceBox_->setCurrentIndex(static_cast<int>(i));
            return;
        }
    deviceBox_->setCurrentIndex(-1);
    deviceBox_->setEditText(QString::fromStdString(mapped));
}

void InstrumentDialog::showPortDevices()
{
    QStringList lines;
    for (int i = 0; i < 4; ++i) {
        const QString device = QString::fromStdString(devices_.mapped[static_cast<std::size_t>(i)]);
        lines << QString::fromStdString(Settings::portName(i)) + "  " + device
                     + (QFileInfo::exists(device) ? QString() : QString(text::kPortDeviceMissing));
    }
    portDevicesLabel_->setText(lines.join('\n'));
}

int InstrumentDialog::port() const
{
    return portBox_ ? portBox_->currentIndex() : -1;
}

int InstrumentDialog::model() const
{
    return modelBox_->currentIndex();
}

std::string InstrumentDialog::device() const
{
    if (!deviceBox_)
        return std::string();
    const int index = deviceBox_->currentIndex();
    if (index >= 0 && deviceBox_->itemText(index) == deviceBox_->currentText())
        return deviceBox_->itemData(index).toString().toStdString();
    return deviceBox_->currentText().trimmed().toStdString();
}

}  // namespace kavro
