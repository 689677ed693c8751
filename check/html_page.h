// Pieces of the self-contained web pages the tools write (the checker's model sheet, the
// results page): text made safe for HTML, and a panel picture embedded as a PNG data address.
#ifndef CHECK_HTML_PAGE_H
#define CHECK_HTML_PAGE_H

#include <string>

#include "check/bmp_image.h"

std::string htmlEscape(const std::string& text);
// "data:image/png;base64,..." of a loaded picture; empty when it did not load.
std::string pictureDataAddress(const BmpImage& image);
// Writes page as folder/index.html, creating the folder; false when it could not.
bool writeIndexPage(const std::string& folder, const std::string& page);

#endif
