#pragma once
// Builds the data source of a kind for a new document: the .psd replay, the raw
// recording or the instrument.  The tests put sources of their own in its place.
#include "core/CDataSource.h"

#include <memory>

namespace kavro {

class SourceFactory {
public:
    virtual ~SourceFactory() = default;
    // The new, not yet opened source of kind 0, 1 or 2; null when this program has no
    // source of that kind.
    virtual std::unique_ptr<CDataSource> create(int kind, SourceContext context, SourceOwner* owner) = 0;
    // The source a request opens (the instrument on the request's port and device).
    virtual std::unique_ptr<CDataSource> create(const OpenRequest& request, SourceContext context, SourceOwner* owner)
    {
        return create(request.kind, context, owner);
    }
};

// The program's own sources.
class KavroSourceFactory : public SourceFactory {
public:
    std::unique_ptr<CDataSource> create(int kind, SourceContext context, SourceOwner* owner) override;
    std::unique_ptr<CDataSource> create(const OpenRequest& request, SourceContext context,
                                        SourceOwner* owner) override;
};

}  // namespace kavro
