#include "app/CKavroDoc.h"

#include "app/CKavroApp.h"
#include "app/CKavroView.h"
#include "app/DesktopQuestions.h"
#include "core/CPDFile.h"
#include "core/CRawSource.h"
#include "core/Constants.h"
#include "platform/FileUtil.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"
#include "resources/CoreTexts.h"

#include <filesystem>

namespace kavro {

namespace {

// Forwards everything to the program's prompter; a message that a file of the
// calibration folder could not be opened also says which folder that is and where
// it is changed.
class CalibrationHintPrompter : public Prompter {
public:
    CalibrationHintPrompter(Prompter& inner, const Settings& settings) : inner_(inner), settings_(settings) {}
    std::optional<std::string> openFile(const FileDialogRequest& request) override { return inner_.openFile(request); }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override { return inner_.saveFile(request); }
    bool askYesNo(const std::string& text) override { return inner_.askYesNo(text); }
    bool askQuestion(const std::string& text, QuestionStyle style) override { return inner_.askQuestion(text, style); }
    void message(const std::string& text, MessageIcon icon) override
    {
        const std::string lead = text::kCouldNotOpenFile;
        // "Could not open the file <path>", with no reason after it: the calibration set's message.
        if (text.rfind(lead, 0) == 0 && text.find(": ", lead.size()) == std::string::npos &&
            sameFile(directoryPart(text.substr(lead.size())), settings_.calFiles)) {
            inner_.message(text + text::kCalibrationFolderHint + settings_.calFiles + text::kCalibrationFolderHintEnd,
                           icon);
            return;
        }
        inner_.message(text, icon);
    }

private:
    Prompter& inner_;
    const Settings& settings_;
};

// A model outside the three lists preselects the first one.
int validModel(int model)
{
    return model >= 0 && model <= 2 ? model : 0;
}

}  // namespace

CKavroDoc::CKavroDoc(CKavroApp& app) : app_(app) {}

CKavroDoc::~CKavroDoc() = default;

void CKavroDoc::showBufferText(const std::string& text)
{
    if (view_)
        app_.hooks().bufferText(*view_, text, false);
}

void CKavroDoc::showRejectedText(const std::string& text)
{
    if (view_)
        app_.hooks().bufferText(*view_, text, true);
}

CDataSource& CKavroDoc::createDataSource(const OpenRequest& start)
{
    const int kind = start.kind;
    OpenRequest request = start;
    if (kind == kKindInstrument)
        askInstrumentPort(request);
    else if (kind == kKindRawFile)
        askInstrumentModel();
    Settings& settings = app_.settings();
    // The request of the settings as they are after the dialogs above, with what the
    // caller knows already (a file named on the command line).
    OpenRequest full = OpenRequest::fromSettings(kind, settings, model_);
    full.input = request.input;
    full.device = request.device;
    if (!request.port.empty())
        full.port = request.port;
    sourcePrompter_ = std::make_unique<CalibrationHintPrompter>(app_.prompter(), settings);
    auto source = app_.sources().create(full, SourceContext{settings, app_.profile(), *sourcePrompter_}, this);
    if (!source)
        throw UserAbort{};
    DesktopQuestions questions(*sourcePrompter_, app_.dialogs(), app_.dataFolder());
    source->open(full, &questions);
    if (const auto* psd = dynamic_cast<const CPDFile*>(source.get()); psd && psd->trailingBytes() > 0)
        app_.prompter().message(std::filesystem::path(psd->sourceName()).filename().string() + text::kPartialRecord +
                                    std::to_string(psd->trailingBytes()) + text::kPartialRecordEnd,
                                MessageIcon::Information);
    if (const auto* raw = dynamic_cast<const CRawSource*>(source.get()); raw && !raw->continuationNote().empty())
        app_.prompter().message(raw->continuationNote(), MessageIcon::Information);
    source_ = std::move(source);
    return *source_;
}

void CKavroDoc::askInstrumentPort(OpenRequest& request)
{
    Settings& settings = app_.settings();
    int port = Settings::portIndexOf(settings.instrumentPort);
    if (port < 0)
        port = 1;  // "COM2:"
    const PortDevices devices{settings.instrumentDevices(), listSerialDevices()};
    auto choice = app_.dialogs().askInstrumentPort(port, validModel(settings.storedInstrumentModel(app_.profile())),
                                                   devices);
    if (!choice)
        throw UserAbort{};
    bool written = settings.acceptInstrumentPort(app_.profile(), choice->port);
    // A device chosen for the port is stored and opened from now on; leaving the
    // one shown keeps a port that finds its adapter by itself doing so.
    const int chosen = Settings::portIndexOf(settings.instrumentPort);
    if (!choice->device.empty() && choice->device != devices.mapped[static_cast<std::size_t>(chosen)])
        written = settings.acceptComDevice(app_.profile(), chosen, choice->device) && written;
    written = settings.acceptInstrumentModel(app_.profile(), choice->model) && written;
    app_.reportProfileWrite(written);
    model_ = choice->model;
    request.port = Settings::portName(chosen);
}

void CKavroDoc::askInstrumentModel()
{
    Settings& settings = app_.settings();
    auto model = app_.dialogs().askInstrumentModel(validModel(settings.storedInstrumentModel(app_.profile())));
    if (!model)
        throw UserAbort{};
    app_.reportProfileWrite(settings.acceptInstrumentModel(app_.profile(), *model));
    model_ = *model;
}

bool CKavroDoc::onNewDocument()
{
    if (!source_)
        return false;
    setTitle(titleFromSourceName(source_->sourceName()));
    return true;
}

void CKavroDoc::setTitle(const std::string& title)
{
    title_ = withoutShortExtension(title);
}

std::string CKavroDoc::titleFromSourceName(const std::string& sourceName)
{
    std::string name = std::filesystem::path(sourceName).filename().string();
    std::size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string CKavroDoc::withoutShortExtension(const std::string& title)
{
    std::size_t dot = title.rfind('.');
    if (dot == std::string::npos || title.size() - dot - 1 > 3)
        return title;
    return title.substr(0, dot);
}

}  // namespace kavro
