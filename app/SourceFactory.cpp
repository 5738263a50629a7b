#include "app/SourceFactory.h"

#include "acquisition/CCommSource.h"
#include "acquisition/CRawFile.h"
#include "core/CPDFile.h"
#include "core/Constants.h"
#include "core/Settings.h"

namespace kavro {

std::unique_ptr<CDataSource> KavroSourceFactory::create(int kind, SourceContext context, SourceOwner* owner)
{
    switch (kind) {
    case kKindInstrument:
        return std::make_unique<CCommSource>(context, owner, makeInstrumentLink(context.settings),
                                             context.settings.instrumentPort);
    case kKindRawFile:
        return std::make_unique<CRawFile>(context, owner);
    case kKindPsdFile:
        return std::make_unique<CPDFile>(context, owner);
    default:
        return nullptr;
    }
}

}  // namespace kavro
