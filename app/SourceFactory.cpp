#include "app/SourceFactory.h"

#include "acquisition/CCommSource.h"
#include "acquisition/CRawFile.h"
#include "core/CPDFile.h"
#include "core/Constants.h"
#include "core/Settings.h"

namespace kavro {

std::unique_ptr<CDataSource> KavroSourceFactory::create(int kind, SourceContext context, SourceOwner* owner)
{
    return create(OpenRequest::fromSettings(kind, context.settings, owner ? owner->instrumentModel() : 0), context,
                  owner);
}

std::unique_ptr<CDataSource> KavroSourceFactory::create(const OpenRequest& request, SourceContext context,
                                                        SourceOwner* owner)
{
    const int kind = request.kind;
    // The save dialog asks about the .psd; the files beside it are asked about as well.
    switch (kind) {
    case kKindInstrument: {
        auto source = std::make_unique<CCommSource>(context, owner, makeInstrumentLink(context.settings, request),
                                                    request.port.empty() ? context.settings.instrumentPort
                                                                         : request.port);
        source->setAskBeforeReplacing(true);
        return source;
    }
    case kKindRawFile: {
        auto source = std::make_unique<CRawFile>(context, owner);
        source->setAskBeforeReplacing(true);
        return source;
    }
    case kKindPsdFile:
        return std::make_unique<CPDFile>(context, owner);
    default:
        return nullptr;
    }
}

}  // namespace kavro
