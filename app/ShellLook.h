#pragma once
// What the shell's windows share in their look: the light grey of dialogs, bars
// and views, and the OK/Cancel row of the small dialogs.
#include <QColor>

class QDialog;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kavro {

class Prompter;

inline QColor lightGrey()
{
    return QColor(192, 192, 192);
}

// The widget's background becomes light grey with black text.
void paintLightGrey(QWidget* widget);
// The border along a dialog bar's top edge that separates it from the view above;
// called from the bar's paint event.
void drawBarTopBorder(QWidget& bar);
// A button of a dialog bar: as narrow as its text, never the default, never focused.
QPushButton* makeBarButton(QWidget* bar, const char* text);
// A number box whose text is refused: the message (an exclamation) and the box
// focused with its text selected, for the user to correct.
void refuseBox(Prompter& prompter, const char* message, QLineEdit* box);
// Lays the dialog out as content above an OK and a Cancel button.
void addOkCancel(QDialog& dialog, QLayout* content);

}  // namespace kavro
