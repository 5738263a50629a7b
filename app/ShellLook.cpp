#include "app/ShellLook.h"

#include "platform/Prompter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
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

void drawBarTopBorder(QWidget& bar)
{
    QPainter painter(&bar);
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(0, 0, bar.width() - 1, 0);
    painter.setPen(Qt::white);
    painter.drawLine(0, 1, bar.width() - 1, 1);
}

QPushButton* makeBarButton(QWidget* bar, const char* text)
{
    auto* b = new QPushButton(QString::fromUtf8(text), bar);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    // Buttons as narrow as their texts, so the whole bar fits under the view.
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 12);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    b->setStyleSheet("QPushButton { padding: 3px 4px; }");
    return b;
}

void refuseBox(Prompter& prompter, const char* message, QLineEdit* box)
{
    prompter.message(message, MessageIcon::Exclamation);
    box->setFocus();
    box->selectAll();
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
