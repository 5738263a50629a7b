#pragma once
// What the shell's windows share in their look: the light grey of dialogs, bars
// and views, and the OK/Cancel row of the small dialogs.
#include <QColor>

class QDialog;
class QLayout;
class QWidget;

namespace kavro {

inline QColor lightGrey()
{
    return QColor(192, 192, 192);
}

// The widget's background becomes light grey with black text.
void paintLightGrey(QWidget* widget);
// Lays the dialog out as content above an OK and a Cancel button.
void addOkCancel(QDialog& dialog, QLayout* content);

}  // namespace kavro
