#pragma once

// Texts made comparable without regard to case in every script: full Unicode case folding
// ("Straße" and "STRASSE" fold alike), as UTF-8, so that a byte search finds one in another.

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The folded form of bytes from the server, decoded as the lists show them.
std::string FoldShownBytes(std::string_view bytes);
// The folded form of what the user typed.
std::string FoldTyped(const QString& text);

// Many texts folded once and kept end to end, so that a search runs through them all in one
// pass over memory rather than jumping from text to text.
class FoldedTexts {
public:
    // Appends the folded form of bytes from the server, as FoldShownBytes gives it.
    void AddShownBytes(std::string_view bytes);
    std::size_t Count() const { return ends_.size(); }
    // For each text, in the order added, whether it holds `needle` (folded, not empty).
    std::vector<bool> Holding(std::string_view needle) const;
    // Whether one text holds it.
    bool Holds(std::size_t text, std::string_view needle) const;

private:
    std::string bytes_;
    std::vector<std::uint32_t> ends_; // where each text ends in bytes_
};
