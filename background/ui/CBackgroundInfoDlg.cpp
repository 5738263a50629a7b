#include "background/ui/CBackgroundInfoDlg.h"

#include "background/ui/RingPlotPanel.h"
#include "resources/BackgroundTexts.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavro {

CBackgroundInfoDlg::CBackgroundInfoDlg(CScatterAccumulator& accumulator, Prompter& prompter, DialogRunner runner,
                                       QWidget* parent)
    : QDialog(parent), accumulator_(accumulator), factoryButton_(new QPushButton(text::kFactoryButton, this)),
      plot_(new RingPlotPanel(text::kRingsLegend, text::kFactoryLegend, kInitialMaximum, prompter, std::move(runner),
                              this)),
      verdictBox_(new QPlainTextEdit(this)), acceptButton_(new QPushButton(text::kAcceptButton, this)),
      cancelButton_(new QPushButton(text::kCancelButton, this))
{
    setWindowTitle(text::kInfoTitle);
    verdictBox_->setReadOnly(true);
    verdictBox_->setFixedHeight(6 * verdictBox_->fontMetrics().lineSpacing());
    factoryButton_->setAutoDefault(false);
    cancelButton_->setAutoDefault(false);
    acceptButton_->setAutoDefault(false);
    connect(factoryButton_, &QPushButton::clicked, this, &CBackgroundInfoDlg::chooseFactoryFile);
    connect(acceptButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(acceptButton_);
    buttons->addWidget(cancelButton_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(factoryButton_);
    column->addWidget(plot_, 0, Qt::AlignHCenter);
    column->addWidget(verdictBox_);
    column->addLayout(buttons);
    showAccumulator();
}

QString CBackgroundInfoDlg::displayText(const std::string& verdict)
{
    QString text = QString::fromStdString(verdict);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void CBackgroundInfoDlg::showAccumulator()
{
    factoryButton_->setText(QString::fromStdString(accumulator_.factoryPath()));
    CRingBarGraphWnd::Rings averages{}, factory{};
    for (int i = 0; i < kRings; ++i) {
        averages[static_cast<std::size_t>(i)] = accumulator_.averageValue(i);
        factory[static_cast<std::size_t>(i)] = accumulator_.factoryValue(i);
    }
    plot_->setSeries(averages, factory);
    verdictBox_->setPlainText(displayText(accumulator_.qualityText()));
    // Return accepts a good background only: a verdict with faults is accepted by a click.
    const bool fails = accumulator_.verdictFails();
    acceptButton_->setDefault(!fails);
    cancelButton_->setDefault(fails);
}

void CBackgroundInfoDlg::chooseFactoryFile()
{
    if (accumulator_.chooseFactoryFile())
        showAccumulator();
}

VerdictStep verdictWindow(Prompter& prompter, DialogRunner runner, QWidget* parent)
{
    return [&prompter, runner, parent](CScatterAccumulator& accumulator) {
        CBackgroundInfoDlg window(accumulator, prompter, runner, parent);
        return runner(window) == QDialog::Accepted;
    };
}

}  // namespace kavro
