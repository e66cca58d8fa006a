#include "ui/FoldedText.h"

#include "ui/Text.h"

#include <algorithm>

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
