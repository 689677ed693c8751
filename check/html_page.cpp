#include "check/html_page.h"

#include <filesystem>
#include <fstream>

#include "check/png_writer.h"

std::string htmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string pictureDataAddress(const BmpImage& image) {
  if (!image.loaded) {
    return "";
  }
  return "data:image/png;base64," + base64(encodePng(image.width, image.height, image.pixels));
}

bool writeIndexPage(const std::string& folder, const std::string& page) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::ofstream file(std::filesystem::path(folder) / "index.html", std::ios::binary);
  file << page;
  return static_cast<bool>(file);
}
