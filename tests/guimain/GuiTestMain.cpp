// main() of the GUI test programs: the offscreen platform unless a display is asked for,
// one QApplication for the whole run, numbers in the C locale as in the program itself.
#include "plots/cast/QuickLook.h"

#include <QApplication>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kavro::useSystemFontFolder();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    kavro::substituteMissingFaces();
    // One look on every system (Linux's offscreen default), so that sizes compare.
    QApplication::setStyle(QStringLiteral("Fusion"));
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
