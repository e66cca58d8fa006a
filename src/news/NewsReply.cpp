#include "news/NewsReply.h"

#include "text/TextRoutines.h"

bool IsNewsSuccess(std::string_view reply)
{
    return reply.find("OK") != std::string_view::npos;
}

void ReadNewsListReply(const std::string& reply, std::vector<std::string>& list)
{
    std::vector<std::string> entries;
    SplitFields(kNewsRecordSeparator, reply, entries);
    for (std::string& entry : entries)
        if (!entry.empty() && entry != "OK")
            list.push_back(std::move(entry));
}

LatestNews ReadLatestNewsReply(std::string_view reply)
{
    const std::string rest = ReplaceAll(reply, kNewsEndMarker, "");
    if (rest == "OK")
        return {};
    std::vector<std::string> fields;
    SplitFields('^', rest, fields);
    LatestNews latest;
    if (!fields.empty())
        latest.id = std::move(fields[0]);
    if (fields.size() > 1)
        latest.title = std::move(fields[1]);
    return latest;
}

std::string ReadNewsDetailsReply(std::string_view reply)
{
    return DecodeHexEscapes(ReplaceAll(reply, kNewsEndMarker, ""));
}

const char* NewsErrorMessage(std::string_view reply, NewsFetch fetch)
{
    struct ErrorAnswer {
        std::string_view reply;
        const char* message;
        bool listShowsIt;
    };
    // The empty reply also stands for every transport failure.
    static constexpr ErrorAnswer answers[] = {
        {"", "There is a trouble accessing the news site. Contact your provider.", true},
        {"CONNECTIONFAIL", "There is a trouble in the settings file on the news site.", true},
        {"INVALIDUSER", "There is a trouble with the Publisher Id. Contact your provider.", true},
        {"INVALIDPRODUCT", "There is a trouble with the product validation. Contact your provider.", true},
        {"INVALIDNEWS", "There is a trouble with this news. Contact your provider.", false},
    };
    for (const ErrorAnswer& answer : answers)
        if (reply == answer.reply)
            return (fetch == NewsFetch::Details || answer.listShowsIt) ? answer.message : nullptr;
    return nullptr;
}
