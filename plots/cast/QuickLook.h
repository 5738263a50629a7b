#pragma once
// The quick-look picture of a cast as a file: PNG, PDF (real text, vector lines)
// or SVG by the name's extension.  The interface is plain C++ so that kavro-cli
// draws without including a Qt header; the drawing needs no display.
#include "products/CastSummary.h"

#include <string>

namespace kavro {

enum class PictureFormat { Png, Pdf, Svg, Unknown };
PictureFormat pictureFormatOf(const std::string& path);
// Whether this build can write the format (SVG needs Qt SVG, which a build may lack).
bool pictureFormatBuilt(PictureFormat format);

// Starts Qt's GUI part on the offscreen platform when no application object
// exists yet (kavro-cli); the desktop program already has one.
void ensureOffscreenGui();

// On Windows the offscreen platform reads its fonts from one folder: the system's
// Fonts folder unless QT_QPA_FONTDIR names another.  Call before the application
// object is made; elsewhere it does nothing (fontconfig finds the fonts).
void useSystemFontFolder();

// Where a system lacks Arial, Times New Roman or Courier New (wine, a bare Windows
// offscreen font folder), their metric twins stand in, as fontconfig makes them on
// Linux: the texts keep their widths.  Call once the application object exists.
void substituteMissingFaces();

// How many columns a summary needs for a picture of this size.
int quickLookColumns(int width, int height, bool profile);

// Draws the summary into a picture of width x height pixels and writes it to
// path in the given format.  False when the file could not be written.
bool writeQuickLook(const CastSummary& summary, const std::string& path, PictureFormat format, int width, int height,
                    bool profile);

}  // namespace kavro
