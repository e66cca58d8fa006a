#include "branding/BrandingFile.h"

#include "branding/BrandingFileKey.h"
#include "container/AesLib.h"
#include "platform/ReplaceFile.h"
#include "text/TextRoutines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* kAffiliatePlaceholder = "%%AFFILIATEID%%";
constexpr const char* kLastNewsIdKey = "LastNewsId";

// The first seventeen keys, in the order the program reads them.
constexpr std::pair<const char*, std::string BrandingInfo::*> kInfoKeys[] = {
    {"ApplicationName", &BrandingInfo::ApplicationName},
    {"BranderCode", &BrandingInfo::BranderCode},
    {"BranderType", &BrandingInfo::BranderType},
    {"AffiliateURL", &BrandingInfo::AffiliateURL},
    {"AffiliateTYPE", &BrandingInfo::AffiliateTYPE},
    {"AffiliateID", &BrandingInfo::AffiliateID},
    {"MasterNewsBaseURL", &BrandingInfo::MasterNewsBaseURL},
    {"PlatinumNewsBaseURL", &BrandingInfo::PlatinumNewsBaseURL},
    {"GoldNewsBaseURL", &BrandingInfo::GoldNewsBaseURL},
    {"MasterPublID", &BrandingInfo::MasterPublID},
    {"PlatinumPublID", &BrandingInfo::PlatinumPublID},
    {"GoldPublID", &BrandingInfo::GoldPublID},
    {"MakeMoneyButton", &BrandingInfo::MakeMoneyButton},
    {"AppHelpURL", &BrandingInfo::AppHelpURL},
    {"CopyrightYears", &BrandingInfo::CopyrightYears},
    {"CopyrightCompany", &BrandingInfo::CopyrightCompany},
    {"AboutText", &BrandingInfo::AboutText},
};

// ExtractTagValue over a position in a text that stays whole, so reading many keys from a
// large text never copies it.
std::string_view ExtractAt(std::string_view text, std::size_t& position, std::string_view openingTag,
    std::string_view closingTag, std::size_t skipCount, BrandingTag* seen = nullptr)
{
    if (seen != nullptr)
        seen->searchedFrom = position;
    const std::size_t opening = FindIgnoringCase(text, openingTag, position);
    if (opening == std::string_view::npos)
        return {};
    const std::size_t valueStart
        = std::min(text.size(), opening + openingTag.size() + std::min(skipCount, text.size()));
    position = valueStart;
    if (seen != nullptr)
        seen->opened = true;
    const std::size_t closing = FindIgnoringCase(text, closingTag, valueStart);
    if (closing == std::string_view::npos)
        return {};
    if (seen != nullptr)
        seen->closed = true;
    position = std::min(text.size(), closing + std::min(skipCount, text.size()));
    return text.substr(valueStart, closing - valueStart);
}

std::string JoinPath(const std::string& folder, const char* name)
{
    return (std::filesystem::path(folder) / name).string();
}

} // namespace

std::optional<std::string> ReadPackageFile(const std::string& path, std::size_t limit)
{
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::string bytes;
        char chunk[65536];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
            if (bytes.size() > limit)
                return std::nullopt;
        }
        if (in.bad())
            return std::nullopt;
        return bytes;
    } catch (const std::exception&) { // a folder in the file's place, for one
        return std::nullopt;
    }
}

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::string ExtractTagValue(
    std::string& remaining, const std::string& openingTag, const std::string& closingTag, std::size_t skipCount)
{
    std::size_t position = 0;
    const std::string value(ExtractAt(remaining, position, openingTag, closingTag, skipCount));
    remaining.erase(0, position);
    return value;
}

std::string BrandingLines(std::string_view plain)
{
    const std::size_t end = plain.find('\0');
    if (end != std::string_view::npos)
        plain = plain.substr(0, end);
    std::string joined;
    joined.reserve(plain.size() + plain.size() / 16 + 2);
    ForEachLine(plain, [&](std::string_view line) {
        joined.append(line);
        joined.append("\r\n");
    });
    return joined;
}

std::string OpeningTag(std::string_view key)
{
    return "<%%" + std::string(key) + "%%>";
}

std::string ClosingTag(std::string_view key)
{
    return "<%%/" + std::string(key) + "%%>";
}

BrandingText ReadBrandingText(std::string_view text)
{
    BrandingText read;
    std::size_t position = 0;
    auto extract = [&](std::string key) {
        BrandingTag tag;
        tag.key = std::move(key);
        tag.value = ExtractAt(text, position, OpeningTag(tag.key), ClosingTag(tag.key), 0, &tag);
        read.tags.push_back(tag);
        return tag.value;
    };
    for (const auto& [key, member] : kInfoKeys)
        read.BrandingInfo.*member = extract(key);
    BrandingInfo& info = read.BrandingInfo;
    info.AffiliateURL = ReplaceAll(info.AffiliateURL, kAffiliatePlaceholder, info.AffiliateID);

    for (const auto& [name, list] : {std::pair{"Welcome", &read.welcomePages}, std::pair{"Banner", &read.banners},
             std::pair{"Link", &read.links}}) {
        for (int number = 1; number <= kMaxBrandingEntries; ++number) {
            std::string value = extract(name + std::to_string(number));
            if (value.empty())
                break;
            list->push_back(std::move(value));
        }
    }
    return read;
}

bool NewsButtonVisible(const BrandingInfo& branding)
{
    auto both = [](const std::string& publisher, const std::string& address) {
        return !publisher.empty() && !address.empty();
    };
    const std::string& tier = branding.BranderType;
    if (tier == "Master" || tier == "Free")
        return both(branding.MasterPublID, branding.MasterNewsBaseURL);
    if (tier == "Platinum")
        return both(branding.PlatinumPublID, branding.PlatinumNewsBaseURL);
    if (tier == "Gold")
        return both(branding.GoldPublID, branding.GoldNewsBaseURL);
    return false;
}

std::optional<NewsTier> NewsTierFor(const BrandingInfo& branding)
{
    std::optional<NewsTier> tier;
    if (branding.BranderType == "Master")
        tier = NewsTier{branding.MasterPublID, "BM", branding.MasterNewsBaseURL};
    else if (branding.BranderType == "Platinum")
        tier = NewsTier{branding.PlatinumPublID, "BP", branding.PlatinumNewsBaseURL};
    else if (branding.BranderType == "Gold")
        tier = NewsTier{branding.GoldPublID, "BG", branding.GoldNewsBaseURL};
    if (tier && tier->publisherId.empty())
        tier.reset();
    return tier;
}

std::string MakeMoneyCaption(const BrandingInfo& branding)
{
    return branding.MakeMoneyButton.empty() ? "Make Money" : branding.MakeMoneyButton;
}

std::optional<BrandingFileContents> ReadBrandingFile(const std::string& programDirectory)
{
    const std::string path = JoinPath(programDirectory, kBrandingFileName);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::nullopt;
    BrandingFileContents contents;
    const std::optional<std::string> container = ReadPackageFile(path, kMaxBrandingFileSize);
    if (!container)
        return contents;
    MemoryReadStream source(*container);
    MemoryWriteStream destination(contents.plain);
    TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
    contents.authentic = encryption.Decrypt(source, &destination, static_cast<std::int64_t>(container->size()));
    return contents;
}

std::optional<std::string> EncryptBrandingText(std::string_view plain)
{
    std::string container;
    MemoryReadStream source(plain);
    MemoryWriteStream destination(container);
    TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
    if (!encryption.Encrypt(source, destination))
        return std::nullopt;
    return container;
}

std::string WriteBrandingFile(const std::string& programDirectory, std::string_view plain)
{
    const std::optional<std::string> container = EncryptBrandingText(plain);
    if (!container)
        return "cannot encrypt the branding text";
    return platform::ReplaceFileContents(JoinPath(programDirectory, kBrandingFileName), *container);
}

std::string ReplaceLastNewsId(std::string_view plain, std::string_view id)
{
    const std::string openingTag = OpeningTag(kLastNewsIdKey);
    const std::string closingTag = ClosingTag(kLastNewsIdKey);
    // Only what lies before a NUL byte is ever read, so that is where the tag must be.
    const std::size_t readable = std::min(plain.find('\0'), plain.size());
    const std::string_view text = plain.substr(0, readable);
    std::string result(plain);

    const std::size_t opening = FindIgnoringCase(text, openingTag);
    if (opening == std::string_view::npos) {
        std::string line;
        if (readable > 0 && !IsLineBreak(text.back()))
            line = "\r\n";
        line += openingTag + std::string(id) + closingTag + "\r\n";
        result.insert(readable, line);
        return result;
    }
    const std::size_t valueStart = opening + openingTag.size();
    // The closing tag counts only on the opening tag's own line: one further down may belong
    // to a later LastNewsId, or stand alone, and all the keys in between would be lost.
    const std::size_t lineEnd = static_cast<std::size_t>(
        std::find_if(text.begin() + static_cast<std::ptrdiff_t>(valueStart), text.end(), IsLineBreak) - text.begin());
    const std::size_t closing = FindIgnoringCase(text.substr(0, lineEnd), closingTag, valueStart);
    if (closing != std::string_view::npos) {
        result.replace(valueStart, closing - valueStart, id);
        return result;
    }
    result.replace(opening, lineEnd - opening, openingTag + std::string(id) + closingTag);
    return result;
}

std::string ReadLastNewsId(const std::string& programDirectory)
{
    const std::optional<BrandingFileContents> file = ReadBrandingFile(programDirectory);
    if (!file)
        return {};
    std::string remaining = BrandingLines(file->plain);
    return ExtractTagValue(remaining, OpeningTag(kLastNewsIdKey), ClosingTag(kLastNewsIdKey), 0);
}

void WriteLastNewsId(const std::string& programDirectory, const std::string& id)
{
    // An id that would read back differently is not stored: the old one stays in force.
    if (id.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos
        || FindIgnoringCase(id, ClosingTag(kLastNewsIdKey)) != std::string::npos)
        return;
    const std::optional<BrandingFileContents> file = ReadBrandingFile(programDirectory);
    // A file that no longer decrypts cleanly would lose the reseller's values if rewritten.
    if (!file || !file->authentic || file->plain.empty())
        return;
    // When the file cannot be replaced (a read-only program folder) the id is not stored.
    WriteBrandingFile(programDirectory, ReplaceLastNewsId(file->plain, id));
}
