#include "background/ui/BackgroundHost.h"

#include <QDialog>

namespace kavro {

int runModal(QDialog& dialog)
{
    return dialog.exec();
}

}  // namespace kavro
