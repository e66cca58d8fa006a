#pragma once

// What a list shows, as text for other programs: a header line with the titles of the columns
// shown, then a line for each of the given rows, with the cells of those columns as the list
// shows them (UTF-8), columns in the order they are shown.

#include <span>
#include <string>

class TLinkListView;

enum class ListTextFormat {
    TabSeparated, // for the clipboard: pasted into a spreadsheet, one cell per value
    Csv, // for a file: RFC 4180, CR LF
};

// `rows` are positions in the list, written in the order given. A cell of one of
// `integerColumns` that holds an integer is written as plain decimal digits ("007" as 7).
std::string ListText(const TLinkListView& list, std::span<const int> rows, ListTextFormat format,
    std::span<const int> integerColumns = {});
