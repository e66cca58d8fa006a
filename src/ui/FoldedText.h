#pragma once

// Texts made comparable without regard to case in every script: full Unicode case folding
// ("Straße" and "STRASSE" fold alike), as UTF-8, so that a byte search finds one in another.

#include <QString>

#include <string>
#include <string_view>

// The folded form of bytes from the server, decoded as the lists show them.
std::string FoldShownBytes(std::string_view bytes);
// The folded form of what the user typed.
std::string FoldTyped(const QString& text);
