#pragma once

// INI text as the settings file keeps it. Lines end at CR LF, LF or CR; section and key
// names match whatever their letter case; everything the program does not own is kept.

#include <string>

inline constexpr std::size_t kIniValueLimit = 2047;

// The value of `key` in the first section named `section`: blanks around it removed, then
// one pair of enclosing double or single quotes, at most 2047 characters. Empty when missing.
std::string ReadIniValue(const std::string& text, const std::string& section, const std::string& key);

// The text with `key` set to `value`: an existing entry is replaced in place, a new one goes
// after the section's last entry, a missing section is added at the end. Every line is
// written with CR LF. CR and LF inside the value are dropped: they would start a new line.
std::string WriteIniValue(
    const std::string& text, const std::string& section, const std::string& key, const std::string& value);
