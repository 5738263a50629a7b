#include "app/SourceFactory.h"

#include "acquisition/CRawFile.h"
#include "core/CPDFile.h"
#include "core/Constants.h"

namespace kavro {

std::unique_ptr<CDataSource> KavroSourceFactory::create(int kind, SourceContext context, SourceOwner* owner)
{
    switch (kind) {
    case kKindRawFile:
        return std::make_unique<CRawFile>(context, owner);
    case kKindPsdFile:
        return std::make_unique<CPDFile>(context, owner);
    default:
        // The instrument's source joins here.
        return nullptr;
    }
}

}  // namespace kavro
