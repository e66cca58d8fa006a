#pragma once

// Reading the news server's replies. A reply is the trimmed response body; records are
// separated by the byte 0xAF, fields by "^", and a success reply ends with 0xAF "OK".
// Every routine takes any bytes and returns a value; none shows anything.

#include <string>
#include <string_view>
#include <vector>

inline constexpr char kNewsRecordSeparator = '\xAF';
inline constexpr std::string_view kNewsEndMarker = "\xAFOK";

// A reply holding "OK" anywhere (case-sensitive) is a success; anything else is an error answer.
bool IsNewsSuccess(std::string_view reply);

// Appends the list reply's records to `list` in reply order. Entries that are empty or exactly
// "OK" are skipped wherever they stand.
void ReadNewsListReply(const std::string& reply, std::vector<std::string>& list);

struct LatestNews {
    std::string id;
    std::string title;
};
// The newest item's id and title. "OK" alone, once the end markers are gone, is no item (both
// empty); missing fields are empty and fields after the title are ignored.
LatestNews ReadLatestNewsReply(std::string_view reply);

// The item's HTML: the end markers removed, then the "$" escapes decoded. A malformed escape
// gives the empty text.
std::string ReadNewsDetailsReply(std::string_view reply);

enum class NewsFetch { List, Details };
// The warning an error answer gets from that fetch, or nullptr when it gets none.
const char* NewsErrorMessage(std::string_view reply, NewsFetch fetch);
