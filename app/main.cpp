// The desktop program: the application object, its empty main frame, and the
// event loop.  The command line is not used.
#include "app/CKavroApp.h"
#include "platform/System.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    // Qt has switched the C library to the user's locale; numbers keep a full stop.
    std::setlocale(LC_NUMERIC, "C");
    kavro::writeFailsPastFileSizeLimit();
    kavro::CKavroApp app(kavro::CKavroApp::desktopServices());
    if (!app.initInstance())
        return 1;
    return qapp.exec();
}
