#include "app/SourceFactory.h"

namespace kavro {

std::unique_ptr<CDataSource> KavroSourceFactory::create(int kind, SourceContext context, SourceOwner* owner)
{
    (void)kind;
    (void)context;
    (void)owner;
    return nullptr;
}

}  // namespace kavro
