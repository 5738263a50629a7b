#include "acquisition/ui/CShowBufferWnd.h"

#include "resources/AcquisitionTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavro {

namespace {

QLineEdit* numberBox(QWidget* parent)
{
    auto* box = new QLineEdit(QStringLiteral("0"), parent);
    box->setReadOnly(true);
    box->setFixedWidth(64);
    return box;
}

// The instrument's bytes one character each; its line ends (CR LF, or CR alone)
// as line breaks of the text box.
QString displayText(const std::string& text)
{
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

}  // namespace

CShowBufferWnd* CShowBufferWnd::of(QWidget& view)
{
    return view.findChild<CShowBufferWnd*>(QString(), Qt::FindDirectChildrenOnly);
}

CShowBufferWnd* CShowBufferWnd::openFor(QWidget& view)
{
    if (CShowBufferWnd* open = of(view))
        return open;
    auto* window = new CShowBufferWnd(view);
    window->show();
    return window;
}

CShowBufferWnd::CShowBufferWnd(QWidget& view)
    : QDialog(&view),
      textBox_(new QPlainTextEdit(this)),
      lengthBox_(numberBox(this)),
      countBox_(numberBox(this)),
      rejectedBox_(numberBox(this)),
      cancel_(new QPushButton(text::kCancel, this))
{
    setWindowTitle(text::kShowBufferTitle);
    setModal(false);
    textBox_->setReadOnly(true);
    textBox_->setMinimumSize(420, 160);

    auto* numbers = new QHBoxLayout;
    numbers->addWidget(new QLabel(text::kNumChars, this));
    numbers->addWidget(lengthBox_);
    numbers->addWidget(countBox_);
    numbers->addWidget(new QLabel(text::kRejectedTexts, this));
    numbers->addWidget(rejectedBox_);
    numbers->addStretch(1);
    numbers->addWidget(cancel_);

    auto* column = new QVBoxLayout(this);
    column->addWidget(textBox_, 1);
    column->addLayout(numbers);
    connect(cancel_, &QPushButton::clicked, this, &CShowBufferWnd::reject);
}

void CShowBufferWnd::showText(const std::string& text, bool rejected)
{
    text_ = text;
    length_ = static_cast<int>(text.size());
    ++count_;
    if (rejected)
        rejectedBox_->setText(QString::number(++rejected_));
    textBox_->setPlainText(displayText(text_));
    lengthBox_->setText(QString::number(length_));
    countBox_->setText(QString::number(count_));
}

void CShowBufferWnd::reject()
{
    QDialog::reject();
    // Without a parent the view no longer finds it; deleted once its events are done.
    setParent(nullptr);
    deleteLater();
}

}  // namespace kavro
