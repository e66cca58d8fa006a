#pragma once

// Tables written as text for other programs: CSV files (RFC 4180) and the tab-separated lines
// that spreadsheets take from the clipboard, one cell per value. Values are bytes, passed on
// as they are; only the quoting is added.

#include <span>
#include <string>
#include <string_view>

// One CSV record: the values joined by ",", each quoted when it holds a comma, a double quote,
// CR or LF (its double quotes doubled), then CR LF.
void AppendCsvRecord(std::string& out, std::span<const std::string_view> values);

// One tab-separated line: the values joined by tabs, each quoted as in CSV when it holds a
// tab, a double quote, CR or LF, then LF. A spreadsheet pasting it reads a quoted value whole,
// its line breaks and tabs included.
void AppendTabRecord(std::string& out, std::span<const std::string_view> values);
