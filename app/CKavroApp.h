#pragma once
// The application object: owns the settings store, the settings loaded from it at
// start-up, the way the program asks the user, the main frame and the kind of
// source the next open command creates.
#include "app/AppDialogs.h"
#include "app/CommandHooks.h"
#include "app/SourceFactory.h"
#include "core/Settings.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"

#include <functional>
#include <memory>
#include <string>

class QApplication;
class QPrinter;

namespace kavro {

class CMainFrame;

// What the application is built from; the program takes the real ones, the tests
// scripted ones.
struct AppServices {
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Prompter> prompter;
    std::unique_ptr<AppDialogs> dialogs;
    std::unique_ptr<SourceFactory> sources;
    std::unique_ptr<CommandHooks> hooks;
    std::string executableDirectory;
    // Shows a document (the user guide) with the desktop's viewer; false when none could.
    std::function<bool(const std::string& path)> showDocument;
};

class CKavroApp {
public:
    explicit CKavroApp(AppServices services);
    ~CKavroApp();
    CKavroApp(const CKavroApp&) = delete;
    CKavroApp& operator=(const CKavroApp&) = delete;

    // The services of the desktop program: the profile named after the executable,
    // Qt dialogs and message boxes, the program's sources, no later windows yet.
    static AppServices desktopServices();
    // Light-grey dialogs with black text, for every dialog of the program.
    static void applyDialogColours(QApplication& app);

    // Start-up: the main frame, shown empty, then the settings.  False when the
    // main frame could not be made.
    bool initInstance();

    // The three open commands: a new document for the request of kind (with input
    // when it is known already); a source that was cancelled or failed leaves
    // nothing behind.
    void openSource(int kind, std::optional<std::string> input = std::nullopt);
    // A file named on the command line: a .psd opens as Open Particle Distribution
    // File, anything else as Open Raw Data File, the path being that command's input
    // (the questions after it are asked as usual).
    void openPath(const std::string& path);
    // The command handlers of the application (open, print set-up, about, help).
    void onCommand(int id);
    // Open File: one dialog for recordings and .psd files, opened by their extension.
    void openAnyFile();
    // F1: the user guide, or where it should have been.
    void showUserGuide();

    Settings& settings() { return settings_; }
    Profile& profile() { return *services_.profile; }
    Prompter& prompter() { return *services_.prompter; }
    AppDialogs& dialogs() { return *services_.dialogs; }
    SourceFactory& sources() { return *services_.sources; }
    CommandHooks& hooks() { return *services_.hooks; }
    CMainFrame* mainFrame() { return mainFrame_.get(); }
    // The printer all views print on; Print Setup changes it.
    QPrinter& printer();

    // The folder new recordings are proposed in: the Locations' data folder, else the
    // user's documents folder, else the home folder.
    std::string dataFolder() const;
    static std::string defaultDataFolder();
    // Tells the user that a dialog's choice could not be stored in the profile.
    void reportProfileWrite(bool written);

private:
    AppServices services_;
    Prompter* givenPrompter_ = nullptr;  // the prompter of the services
    Settings settings_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace kavro
