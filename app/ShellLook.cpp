#include "app/ShellLook.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace kavro {

void paintLightGrey(QWidget* widget)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, lightGrey());
    p.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void addOkCancel(QDialog& dialog, QLayout* content)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* column = new QVBoxLayout(&dialog);
    column->addLayout(content);
    column->addWidget(buttons);
}

}  // namespace kavro
