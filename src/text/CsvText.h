#pragma once

// Comma-separated values as RFC 4180 writes them: a field that holds a comma, a double quote,
// a CR or an LF is put in double quotes with its quotes doubled; every record ends in CR LF.

#include <string>
#include <string_view>
#include <vector>

// One field, quoted only when it must be.
std::string CsvField(std::string_view value);
// One record: the fields joined by commas, then CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);
