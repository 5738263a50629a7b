#include "acquisition/ui/CSendCommandDlg.h"

#include "acquisition/CCommSource.h"
#include "resources/AcquisitionTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavro {

CSendCommandDlg::CSendCommandDlg(CCommSource& source, QWidget* parent)
    : QDialog(parent),
      source_(source),
      edit_(new QLineEdit(this)),
      send_(new QPushButton(text::kSendCommandButton, this)),
      ctrlC_(new QPushButton(text::kSendCtrlCButton, this)),
      cancel_(new QPushButton(text::kCancel, this))
{
    setWindowTitle(text::kSendCommandTitle);
    // The instrument speaks single-byte text: one character of the box, one byte.
    edit_->setText(QString::fromLatin1(source_.command().data(), static_cast<qsizetype>(source_.command().size())));
    edit_->setMinimumWidth(280);
    // Return in the box sends the command.
    send_->setDefault(true);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(text::kCommandLabel, this));
    row->addWidget(edit_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send_);
    buttons->addWidget(ctrlC_);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addLayout(buttons);

    connect(send_, &QPushButton::clicked, this, &CSendCommandDlg::sendCommand);
    connect(ctrlC_, &QPushButton::clicked, this, &CSendCommandDlg::sendCtrlC);
    connect(cancel_, &QPushButton::clicked, this, &CSendCommandDlg::reject);
    readyForNext();
}

void CSendCommandDlg::sendCommand()
{
    source_.setCommand(edit_->text().toLatin1().toStdString());
    exchange(&CCommSource::sendCommandAndShowReply);
}

void CSendCommandDlg::sendCtrlC()
{
    exchange(&CCommSource::sendCtrlC);
}

void CSendCommandDlg::exchange(void (CCommSource::*operation)())
{
    try {
        (source_.*operation)();
    } catch (...) {
        // A line that failed has been told by the source; the dialog stays for the next try.
    }
    readyForNext();
}

void CSendCommandDlg::readyForNext()
{
    edit_->setFocus();
    edit_->selectAll();
}

}  // namespace kavro
