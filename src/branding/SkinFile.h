#pragma once

// The reseller's skin, mainskin.dat: a signed 32-bit little-endian format number, a 32-bit
// little-endian length L, then L bytes of skin data. Our skin data is a UTF-8 style sheet
// compressed in Qt's qCompress layout: its length as 32 bits big-endian, then a zlib stream.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kSkinFileName = "mainskin.dat";
// Files of a higher format number are left alone.
inline constexpr std::int32_t kSkinFormatNumber = 3;
// No style sheet is anywhere near this; a larger claim is damage, not a skin.
inline constexpr std::size_t kMaxStyleSheetSize = 16u << 20;

// The style sheet a skin file holds; bytes after the L bytes of data are ignored. Nothing for
// a format number above 3, a file shorter than its header and L, data that does not inflate
// to exactly the size it announces, or an empty style sheet.
std::optional<std::string> ReadSkinFile(std::string_view file);

// The skin file for a style sheet (format number 3).
std::string PackSkinFile(std::string_view styleSheet);
