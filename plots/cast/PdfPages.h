#pragma once
// Documents drawn apart (each on a thread of its own) joined into one PDF, page by
// page.  Every document's objects reachable from its pages are copied with new
// numbers, stream data byte for byte, so a page looks exactly as it was drawn; the
// first document's information dictionary (title, creator, dates) is the result's.
// Reads the documents Qt's PDF writer makes: a cross-reference table, no object
// streams, no incremental updates.  Plain C++: no Qt.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// The pages of documents, in order, as one PDF, handed to write piece after piece
// (about a megabyte at a time).  False, with nothing written, when a document cannot
// be read (not a PDF, damaged, or made in a form this does not read); false as
// well when write answers false.
bool joinPdfPages(const std::vector<std::string_view>& documents,
                  const std::function<bool(std::string_view)>& write);

// How many pages a PDF holds; nothing when it cannot be read as above.
std::optional<int> pdfPageCount(const std::string& document);

}  // namespace kavro
