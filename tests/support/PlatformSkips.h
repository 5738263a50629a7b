#pragma once
// What a test needs that only Linux gives it.  On Windows such a test skips, saying why;
// the same test on Linux checks it, and the Windows run keeps the rest of its table.
//   KAVRO_NEEDS_PDF_TOOLS(): poppler-utils (pdftotext, pdftoppm, pdfinfo), Linux programs,
//     to read pages back;
//   KAVRO_NEEDS_PSEUDO_TERMINALS(): the instrument simulator plays on a pseudo-terminal.
#include <gtest/gtest.h>

#ifdef _WIN32
#define KAVRO_NEEDS_PDF_TOOLS() GTEST_SKIP() << "reading PDF pages back needs poppler-utils, which are Linux programs"
#define KAVRO_NEEDS_PSEUDO_TERMINALS() GTEST_SKIP() << "the instrument simulator needs a pseudo-terminal"
#else
#define KAVRO_NEEDS_PDF_TOOLS() static_cast<void>(0)
#define KAVRO_NEEDS_PSEUDO_TERMINALS() static_cast<void>(0)
#endif
