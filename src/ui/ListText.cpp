#include "ui/ListText.h"

#include "text/DelimitedText.h"
#include "text/TextRoutines.h"
#include "ui/LinkListView.h"
#include "ui/Text.h"

#include <QHeaderView>

#include <algorithm>
#include <vector>

namespace {

// The cell as UTF-8 of what the list shows: bytes that are not UTF-8 are decoded as the list
// decodes them for the screen. Most cells are ASCII and pass as they are.
std::string_view ShownUtf8(std::string_view bytes, std::string& buffer)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return bytes;
    buffer = ToDisplay(std::string(bytes)).toStdString();
    return buffer;
}

} // namespace

std::string ListText(
    const TLinkListView& list, std::span<const int> rows, ListTextFormat format, std::span<const int> integerColumns)
{
    const QHeaderView& header = *list.header();
    std::vector<int> columns;
    for (int visual = 0; visual < header.count(); ++visual) {
        const int column = header.logicalIndex(visual);
        if (!header.isSectionHidden(column))
            columns.push_back(column);
    }
    const auto append = format == ListTextFormat::Csv ? AppendCsvRecord : AppendTabRecord;

    std::string text;
    std::vector<std::string> buffers(columns.size());
    std::vector<std::string_view> values(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        buffers[i] = list.model()->headerData(columns[i], Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
        values[i] = buffers[i];
    }
    append(text, values);

    std::vector<bool> isInteger(static_cast<size_t>(header.count()), false);
    for (int column : integerColumns)
        if (column >= 0 && column < header.count())
            isInteger[static_cast<size_t>(column)] = true;
    for (int row : rows) {
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string_view cell = list.Cell(row, columns[i]);
            const std::optional<std::int32_t> number
                = isInteger[static_cast<size_t>(columns[i])] ? Int32Of(cell) : std::nullopt;
            if (number) {
                buffers[i] = std::to_string(*number);
                values[i] = buffers[i];
            } else {
                values[i] = ShownUtf8(cell, buffers[i]);
            }
        }
        append(text, values);
    }
    return text;
}
