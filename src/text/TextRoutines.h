#pragma once

// Byte routines shared by every reader of server answers and files: one byte is one
// character, nothing is re-encoded, nothing touches a widget or a file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// Empties `fields`, then fills it with the pieces of `text` between separators. A field
// before a separator is kept even when empty; a last empty field is dropped.
void SplitFields(char separator, std::string_view text, std::vector<std::string>& fields);
// The same as views into `text`, which must outlive them: nothing is copied.
void SplitFields(char separator, std::string_view text, std::vector<std::string_view>& fields);

// Decodes "$" plus two hexadecimal digits into that byte. Any malformed escape makes the
// whole result empty.
std::string DecodeHexEscapes(const std::string& text);

namespace text_detail {

template <bool WithExtraBreak, class Take> void WalkLines(std::string_view text, char extraBreak, Take&& take)
{
    const std::size_t size = text.size();
    std::size_t start = 0;
    while (start < size) {
        std::size_t end = start;
        while (end < size && text[end] != '\r' && text[end] != '\n' && !(WithExtraBreak && text[end] == extraBreak))
            ++end;
        if constexpr (std::is_same_v<decltype(take(text)), bool>) {
            if (!take(text.substr(start, end - start)))
                return;
        } else {
            take(text.substr(start, end - start));
        }
        start = (end + 1 < size && text[end] == '\r' && text[end + 1] == '\n') ? end + 2 : end + 1;
    }
}

} // namespace text_detail

// Calls `take` with each line of `text`, without its break. A line ends at CR LF, a lone LF
// or a lone CR; a break at the very end starts no further line; an empty text has none.
// When `take` returns bool, false stops the walk.
template <class Take> void ForEachLine(std::string_view text, Take&& take)
{
    text_detail::WalkLines<false>(text, '\0', std::forward<Take>(take));
}

// As ForEachLine, with `extraBreak` ending a line as well, just as a CR LF in its place
// would: the lines of the text with every `extraBreak` replaced by CR LF, without making it.
template <class Take> void ForEachLineAlsoBrokenAt(char extraBreak, std::string_view text, Take&& take)
{
    text_detail::WalkLines<true>(text, extraBreak, std::forward<Take>(take));
}

// The lines of `text` as ForEachLine finds them.
std::vector<std::string> SplitLines(std::string_view text);
// The lines joined, each one followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

// The text without the bytes of code 32 or less (blanks, line breaks, controls) at both ends.
std::string_view TrimControls(std::string_view text);

// Every occurrence of `from` (not empty) replaced by `to`, left to right, without rescanning.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// The same within `text` itself, for a `to` no longer than `from`: no second copy of a large text.
void ReplaceAllInPlace(std::string& text, std::string_view from, std::string_view to);

// ASCII letters a to z compared without regard to case; every other byte as it is.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// Position of the first occurrence of `what` at or after `from`, compared as above; npos if none.
std::size_t FindIgnoringCase(std::string_view text, std::string_view what, std::size_t from = 0);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Addresses that may go to the browser: they begin with "http://" or "https://" (a web
// address), or also "mailto:" (a web or mail address), in any letter case. Visitors and
// servers choose many of the texts shown, so a file, a share, a script, another program's
// scheme or a bare word the browser could take for one of its options never qualifies.
bool IsWebAddress(std::string_view text);
bool IsWebOrMailAddress(std::string_view text);

// A decimal 32-bit integer with an optional sign and nothing around it; nothing otherwise.
std::optional<std::int32_t> Int32Of(std::string_view text);
// The same, with 0 for a text that is no such integer.
std::int32_t Int32OrZero(std::string_view text);
