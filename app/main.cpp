// The desktop program: the application object, its main frame, the files named on
// the command line, and the event loop.
#include "app/CKavroApp.h"
#include "app/DesktopArguments.h"
#include "platform/System.h"
#include "plots/cast/QuickLook.h"
#include "resources/AppTexts.h"

#include <QApplication>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace {

// --help and --version answer without a display; anything else is checked after Qt
// has taken its own options (or before, when there is no window system to start).
int answered(const kavro::DesktopArguments& args)
{
    using Action = kavro::DesktopArguments::Action;
    if (args.action == Action::Help)
        std::fputs(kavro::text::kDesktopUsage, stdout);
    else if (args.action == Action::Version)
        std::printf("%s%s\n", kavro::text::kDesktopVersion, KAVRO_VERSION);
    else if (args.action == Action::Error)
        std::fprintf(stderr, "kavro: %s\n%s\n", args.error.c_str(), kavro::text::kDesktopTryHelp);
    else
        return -1;
    return args.action == Action::Error ? 2 : 0;
}

// Whether Qt can start a window system here: without one it would end the program
// before a mistaken option could be told.
bool windowSystemNamed(int argc, char** argv)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const auto value = kavro::environmentVariable(name); value && !value->empty())
            return true;
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    const kavro::DesktopArguments early = kavro::parseDesktopArguments(argc, argv);
    if (early.action == kavro::DesktopArguments::Action::Help ||
        early.action == kavro::DesktopArguments::Action::Version ||
        (early.action == kavro::DesktopArguments::Action::Error && !windowSystemNamed(argc, argv)))
        return answered(early);
    QApplication qapp(argc, argv);
    kavro::substituteMissingFaces();
    const kavro::DesktopArguments args = kavro::parseDesktopArguments(argc, argv);
    if (const int status = answered(args); status >= 0)
        return status;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kavro.svg")));
    // Qt has switched the C library to the user's locale; numbers keep a full stop.
    std::setlocale(LC_NUMERIC, "C");
    kavro::writeFailsPastFileSizeLimit();
    kavro::CKavroApp app(kavro::CKavroApp::desktopServices());
    if (!app.initInstance())
        return 1;
    for (const std::string& file : args.files) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
        app.openPath(ec ? file : absolute.lexically_normal().string());
    }
    return qapp.exec();
}
