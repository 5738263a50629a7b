#include "app/CKavroDoc.h"

#include "app/CKavroApp.h"
#include "app/CKavroView.h"
#include "core/Constants.h"
#include "platform/Prompter.h"

#include <filesystem>

namespace kavro {

namespace {

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

CDataSource& CKavroDoc::createDataSource(int kind)
{
    if (kind == kKindInstrument)
        askInstrumentPort();
    else if (kind == kKindRawFile)
        askInstrumentModel();
    Settings& settings = app_.settings();
    auto source = app_.sources().create(kind, SourceContext{settings, app_.profile(), app_.prompter()}, this);
    if (!source)
        throw UserAbort{};
    source->open();
    source_ = std::move(source);
    return *source_;
}

void CKavroDoc::askInstrumentPort()
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
