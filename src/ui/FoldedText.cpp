#include "ui/FoldedText.h"

#include "ui/Text.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace {

// Qt folds one character to one character only, which leaves "ß" apart from "ss"; ICU does
// the full folding.
std::string Fold(const QString& text)
{
    const auto* source = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    // No character folds to more than three.
    QString folded(text.size() * 3, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
        source, length, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status))
        return text.toCaseFolded().toStdString();
    folded.truncate(written);
    return folded.toStdString();
}

} // namespace

std::string FoldShownBytes(std::string_view bytes)
{
    if (!std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return Fold(ToDisplay(std::string(bytes)));
    // Most addresses are ASCII, and there folding is lower case.
    std::string folded(bytes);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return folded;
}

std::string FoldTyped(const QString& text)
{
    return Fold(text);
}

void FoldedTexts::AddShownBytes(std::string_view bytes)
{
    const std::string folded = FoldShownBytes(bytes);
    if (folded.size() > std::numeric_limits<std::uint32_t>::max() - bytes_.size())
        throw std::length_error("FoldedTexts: texts larger than 4 GiB");
    bytes_ += folded;
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

std::vector<bool> FoldedTexts::Holding(std::string_view needle) const
{
    std::vector<bool> holding(ends_.size(), false);
    const std::string_view all(bytes_);
    std::size_t text = 0;
    for (std::size_t at = all.find(needle); at != std::string_view::npos;) {
        while (ends_[text] <= at)
            ++text;
        if (at + needle.size() <= ends_[text]) {
            holding[text] = true;
            at = all.find(needle, ends_[text]);
        } else {
            // The match runs on into the next text: it is none.
            at = all.find(needle, at + 1);
        }
    }
    return holding;
}

bool FoldedTexts::Holds(std::size_t text, std::string_view needle) const
{
    const std::size_t start = text == 0 ? 0 : ends_[text - 1];
    return std::string_view(bytes_).substr(start, ends_[text] - start).find(needle) != std::string_view::npos;
}
