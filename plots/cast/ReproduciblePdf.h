#pragma once
// A PDF made reproducible after Qt's writer made it.
#include <string>

namespace kavro {

// The date Qt's PDF writer puts into the document as when it was made, and the
// document's identifier, replaced by the report's own creation time and a digest
// of the document: the same pages give the same bytes.  Each replacement keeps the
// length of what it replaces, so that the cross-reference offsets stay right.
void stampPdf(std::string& pdf, double created);

}  // namespace kavro
