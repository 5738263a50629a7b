#include "app/CKavroApp.h"

#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/ProgramHooks.h"
#include "app/QtAppDialogs.h"
#include "app/ShellLook.h"
#include "app/UserGuide.h"
#include "core/Constants.h"
#include "platform/FileUtil.h"
#include "platform/System.h"
#include "platform/qt/QtPrompter.h"
#include "resources/AppTexts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <filesystem>
#include <QDir>
#include <QStandardPaths>
#include <QPalette>
#include <QPrinter>

namespace kavro {

CKavroApp::CKavroApp(AppServices services) : services_(std::move(services))
{
    if (!services_.hooks)
        services_.hooks = std::make_unique<CommandHooks>();
    if (!services_.sources)
        services_.sources = std::make_unique<KavroSourceFactory>();
    givenPrompter_ = services_.prompter.get();
}

CKavroApp::~CKavroApp()
{
    // The views close their sources while the settings and the prompter still exist.
    mainFrame_.reset();
}

AppServices CKavroApp::desktopServices()
{
    AppServices s;
    s.profile = std::make_unique<Profile>(profileLocation(kProgramName));
    auto prompter = std::make_unique<QtPrompter>();
    s.dialogs = std::make_unique<QtAppDialogs>(*prompter);
    s.prompter = std::move(prompter);
    s.sources = std::make_unique<KavroSourceFactory>();
    s.hooks = makeProgramHooks();
    s.executableDirectory = executableDirectory();
    s.showDocument = [](const std::string& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };
    return s;
}

void CKavroApp::applyDialogColours(QApplication& app)
{
    QPalette palette = QApplication::palette();
    const QColor grey = lightGrey();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, grey);
        // Disabled texts in a darker grey than the style's, which vanishes on light grey.
        const QColor text = group == QPalette::Disabled ? QColor(128, 128, 128) : QColor(Qt::black);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::ButtonText, text);
    }
    app.setPalette(palette, "QDialog");
}

bool CKavroApp::initInstance()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        applyDialogColours(*app);
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    if (auto* qtPrompter = dynamic_cast<QtPrompter*>(givenPrompter_))
        qtPrompter->setParent(mainFrame_.get());
    if (auto* qtDialogs = dynamic_cast<QtAppDialogs*>(services_.dialogs.get()))
        qtDialogs->setParent(mainFrame_.get());
    mainFrame_->show();
    settings_.load(profile(), services_.executableDirectory);
    mainFrame_->updateEmptyHint();
    return true;
}

void CKavroApp::openSource(int kind, std::optional<std::string> input)
{
    OpenRequest request;
    request.kind = kind;
    request.input = std::move(input);
    try {
        mainFrame_->newDocument(request);
    } catch (...) {
        // Whatever went wrong has been told by the step that failed, or was a cancel.
    }
}

void CKavroApp::openPath(const std::string& path)
{
    // Told before any question about the model: there is nothing to open.
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        prompter().message(text::kFileDoesNotExist + path, MessageIcon::Exclamation);
        return;
    }
    openSource(hasExtension(path, ".psd") ? kKindPsdFile : kKindRawFile, path);
}

void CKavroApp::onCommand(int id)
{
    switch (id) {
    case cmd::OpenInstrument:
        openSource(kKindInstrument);
        break;
    case cmd::OpenRawFile:
        openSource(kKindRawFile);
        break;
    case cmd::OpenPsdFile:
        openSource(kKindPsdFile);
        break;
    case cmd::PrintSetup:
        dialogs().askPageSetup(printer());
        break;
    case cmd::About:
        dialogs().showAbout();
        break;
    case cmd::OpenFile:
        openAnyFile();
        break;
    case cmd::UserGuide:
        showUserGuide();
        break;
    default:
        break;  // help: there is none
    }
}

void CKavroApp::openAnyFile()
{
    FileDialogRequest request;
    request.title = text::kOpenFileTitle;
    request.filter = text::kOpenFileFilter;
    request.mustExist = true;
    if (const std::optional<std::string> chosen = prompter().openFile(request))
        openPath(*chosen);
}

void CKavroApp::showUserGuide()
{
    const std::string guide = findUserGuide(services_.executableDirectory, sourceDocsFolder());
    if (guide.empty()) {
        prompter().message(text::kNoUserGuide + joinPath(services_.executableDirectory, kInstalledGuide) +
                               text::kNoUserGuideEnd,
                           MessageIcon::Exclamation);
        return;
    }
    if (!services_.showDocument || !services_.showDocument(guide))
        prompter().message(text::kUserGuideNotShown + guide, MessageIcon::Exclamation);
}

QPrinter& CKavroApp::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

std::string CKavroApp::dataFolder() const
{
    return settings_.dataFiles.empty() ? defaultDataFolder() : settings_.dataFiles;
}

std::string CKavroApp::defaultDataFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return documents.toStdString();
    return QDir::homePath().toStdString();
}

void CKavroApp::reportProfileWrite(bool written)
{
    if (written)
        return;
    prompter().message(std::string(text::kSettingsNotWritten) + profile().path() + ": " + profile().lastError(),
                       MessageIcon::Exclamation);
}

}  // namespace kavro
