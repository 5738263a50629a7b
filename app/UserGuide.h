#pragma once
// Where F1 finds the user guide: installed with the program (share/doc/kavro beside
// its bin folder on Linux, docs in the program's own folder on Windows), or, for a
// program run from its build tree, in the source tree's docs folder.
#include <string>

namespace kavro {

// The first of the guide's places that holds desktop.md; "" when none does.
// executableDirectory: the folder of the running program; sourceDocs: the source
// tree's docs folder ("" when unknown).
std::string findUserGuide(const std::string& executableDirectory, const std::string& sourceDocs);
// The source tree's docs folder this program was built from.
std::string sourceDocsFolder();
// Where the installed guide lives, relative to the program's folder, for messages.
inline constexpr const char* kInstalledGuidePosix = "../share/doc/kavro/desktop.md";
inline constexpr const char* kInstalledGuideWindows = "docs/desktop.md";
#ifdef _WIN32
inline constexpr const char* kInstalledGuide = kInstalledGuideWindows;
#else
inline constexpr const char* kInstalledGuide = kInstalledGuidePosix;
#endif

}  // namespace kavro
