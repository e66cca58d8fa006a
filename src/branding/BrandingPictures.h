#pragma once

// How the program decodes the reseller's pictures: a banner file in the format its display path
// names, and the icon file. The reseller's tool verifies with these same functions, so a picture
// it accepts is one the program shows. Images only: no window and no application object needed.

#include <QImage>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Banner pictures are small; anything larger is not a reseller's file.
inline constexpr std::size_t kMaxBannerFileSize = 32u << 20;

// The banner as the program shows it: for a display path that says GIF, the first frame of an
// animated GIF; otherwise a still picture in the format the display name's extension names.
// Nothing when the bytes do not decode that way: the bytes' own format is never guessed.
std::optional<QImage> DecodeBannerPicture(const std::string& bytes, const std::string& displayPath);

// Whether this build can show pictures of the format a display path names.
bool BannerFormatShowable(const std::string& displayPath);

// The formats this build shows, in lower case ("bmp", "gif", "jpeg", "png", ...).
std::vector<std::string> ShowableBannerFormats();

// Every picture of an icon file that decodes, read as the program reads main.ico.
std::vector<QImage> DecodeIconPictures(const std::string& path);
