#pragma once

// Reading the update server's description file, mainappupdate.inf, and comparing versions.

#include <string>
#include <string_view>

// The "Version" of section "APPLICATION", as the INI reader gives it; empty when missing.
std::string ReadPublishedVersion(const std::string& fileText);

// A version text read as a decimal number with "." whatever the locale: an optional sign,
// digits with at most one point, an optional exponent, blanks around. Anything else, and a
// value that is infinite or not a number, reads as 0.
// The published version is held as a 32-bit float and the program's own with double
// precision, so a published version equal to the program's is never newer.
float PublishedVersionNumber(std::string_view text);
double OwnVersionNumber(std::string_view text);

// True when the published version text is higher than the program's own version text.
bool IsNewerVersion(std::string_view published, std::string_view own);
