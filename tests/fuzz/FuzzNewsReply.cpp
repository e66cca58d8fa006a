// Any news server reply, read as the news list, the newest item and an item's content.
#include "news/NewsReply.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> list{"kept"};
    ReadNewsListReply(reply, list);
    // The list only grows, and never by an empty or "OK" entry.
    if (list.empty() || list.front() != "kept")
        __builtin_trap();
    for (std::size_t i = 1; i < list.size(); ++i)
        if (list[i].empty() || list[i] == "OK" || list[i].find('\xAF') != std::string::npos)
            __builtin_trap();

    const LatestNews latest = ReadLatestNewsReply(reply);
    if (latest.id.find('^') != std::string::npos || latest.title.find('^') != std::string::npos)
        __builtin_trap();

    // Escapes only ever shorten the text.
    if (ReadNewsDetailsReply(reply).size() > reply.size())
        __builtin_trap();

    for (NewsFetch fetch : {NewsFetch::List, NewsFetch::Details})
        if (NewsErrorMessage(reply, fetch) && IsNewsSuccess(reply))
            __builtin_trap();
    return 0;
}
