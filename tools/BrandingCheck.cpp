#include "BrandingCheck.h"

#include "branding/BrandingRotation.h"
#include "shell/AppVersion.h"
#include "text/TextRoutines.h"

#include <set>

namespace {

constexpr std::size_t kShownValueLength = 160;
constexpr std::string_view kAffiliatePlaceholder = "%%AFFILIATEID%%";
constexpr const char* kTiers[] = {"Master", "Platinum", "Gold", "Free"};

// The numbers written after a list key's name anywhere in the text ("<%%Welcome4%%>" gives
// "4"), as they are written, leading zeros included.
std::set<std::string> NumbersOfKey(std::string_view text, const std::string& name)
{
    std::set<std::string> numbers;
    const std::string prefix = "<%%" + name;
    for (std::size_t at = FindIgnoringCase(text, prefix); at != std::string_view::npos;
         at = FindIgnoringCase(text, prefix, at + 1)) {
        std::size_t end = at + prefix.size();
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        if (end > at + prefix.size() && text.substr(end, 3) == "%%>")
            numbers.insert(std::string(text.substr(at + prefix.size(), end - at - prefix.size())));
    }
    return numbers;
}

void CheckTags(std::string_view text, const BrandingText& read, Findings& findings)
{
    const BrandingTag* lastFound = nullptr;
    for (const BrandingTag& tag : read.tags) {
        if (!tag.opened && FindIgnoringCase(text, OpeningTag(tag.key)) != std::string_view::npos) {
            const std::string before = lastFound != nullptr ? lastFound->key : std::string("the place reached");
            findings.Error(tag.key,
                "stands before " + before + ", which is read earlier, so the program reads it as empty",
                "move it below " + before + ", in the order of the template");
        } else if (tag.opened && !tag.closed) {
            findings.Error(tag.key,
                "has no closing tag " + ClosingTag(tag.key)
                    + ", so the program reads it as empty and searches the keys after it from just behind its "
                      "opening tag",
                "write " + ClosingTag(tag.key) + " right after its value");
        }
        if (tag.opened)
            lastFound = &tag;
        const std::string opening = OpeningTag(tag.key);
        const std::size_t first = FindIgnoringCase(text, opening);
        if (!findings.About(tag.key) && first != std::string_view::npos
            && FindIgnoringCase(text, opening, first + 1) != std::string_view::npos)
            findings.Warning(tag.key,
                "is written more than once, and the program reads only one of them: "
                    + (tag.opened ? Quoted(tag.value) : std::string("none")),
                "keep one " + tag.key + " and delete the others");
    }
}

void CheckListNumbers(std::string_view text, const BrandingText& read, Findings& findings)
{
    const std::pair<const char*, const std::vector<std::string>*> lists[]
        = {{"Welcome", &read.welcomePages}, {"Banner", &read.banners}, {"Link", &read.links}};
    for (const auto& [name, list] : lists) {
        const std::size_t count = list->size();
        for (const std::string& number : NumbersOfKey(text, name)) {
            const bool canonical = number.front() != '0';
            const int value = number.size() <= 2 ? std::stoi(number) : kMaxBrandingEntries + 1;
            if (canonical && value >= 1 && static_cast<std::size_t>(value) <= count)
                continue;
            const std::string key = name + number;
            if (findings.About(key))
                continue;
            if (!canonical)
                findings.Error(key, "is never read: the program looks for numbers without leading zeros",
                    "write " + std::string(name) + std::to_string(std::stoi("0" + number)) + " instead");
            else if (value > kMaxBrandingEntries)
                findings.Error(key, "is never read: the program reads at most 16 of each list", "keep 16 at most");
            else
                findings.Error(key,
                    "is never read: the list ends at " + std::string(name) + std::to_string(count + 1)
                        + ", which is missing or empty",
                    "number the entries from 1 without gaps");
        }
    }
}

// Keys shown or sent as they are, where a line break or a space at an end is a slip.
void CheckOneLineValues(const BrandingText& read, Findings& findings)
{
    for (const BrandingTag& tag : read.tags) {
        // Multi-line texts are meant to be; list entries are checked field by field.
        const bool free = tag.key == "AboutText" || tag.key.starts_with("Welcome") || tag.key.starts_with("Banner")
            || tag.key.starts_with("Link");
        if (free || findings.About(tag.key) || tag.value.empty())
            continue;
        if (tag.value.find_first_of("\r\n") != std::string::npos)
            findings.Warning(tag.key, "runs over more than one line, and the program keeps the line break in it",
                "write the value on one line with its two tags");
        else if (TrimControls(tag.value).size() != tag.value.size())
            findings.Warning(tag.key, "begins or ends with a space, and the program keeps it",
                "remove the spaces between the value and its tags");
    }
}

void CheckApplicationName(const BrandingInfo& info, Findings& findings)
{
    if (findings.About("ApplicationName") || !TrimControls(info.ApplicationName).empty())
        return;
    findings.Error("ApplicationName",
        std::string(info.ApplicationName.empty() ? "is missing or empty" : "holds only spaces")
            + ", so the caption reads \" v" + kAppVersion + "\" and the About window shows no name",
        "write your product's name between its tags, as the first key");
}

struct TierKeys {
    const char* tier;
    const char* publisherKey;
    const std::string BrandingInfo::*publisher;
    const char* addressKey;
    const std::string BrandingInfo::*address;
};

constexpr TierKeys kTierKeys[] = {
    {"Master", "MasterPublID", &BrandingInfo::MasterPublID, "MasterNewsBaseURL", &BrandingInfo::MasterNewsBaseURL},
    {"Platinum", "PlatinumPublID", &BrandingInfo::PlatinumPublID, "PlatinumNewsBaseURL",
        &BrandingInfo::PlatinumNewsBaseURL},
    {"Gold", "GoldPublID", &BrandingInfo::GoldPublID, "GoldNewsBaseURL", &BrandingInfo::GoldNewsBaseURL},
};

void CheckTier(const BrandingInfo& info, Findings& findings)
{
    if (findings.About("BranderType"))
        return;
    const std::string& tier = info.BranderType;
    bool known = false;
    for (const char* name : kTiers)
        known = known || tier == name;
    if (!known) {
        const std::string_view trimmed = TrimControls(tier);
        std::string meant;
        for (const char* name : kTiers)
            if (EqualsIgnoringCase(trimmed, name))
                meant = name;
        const std::string problem = tier.empty()
            ? "is missing or empty"
            : Quoted(tier) + " is no tier the program knows" + (meant.empty() ? "" : " (letter case and spaces count)");
        findings.Error("BranderType", problem + ", so the program hides the News button and asks for no news",
            meant.empty() ? "write Master, Platinum, Gold or Free (Free: no news), in this letter case"
                          : "write " + meant + " exactly so");
        return;
    }
    if (tier == "Free") {
        if (NewsButtonVisible(info))
            findings.Warning("BranderType",
                "is Free, yet MasterPublID and MasterNewsBaseURL are filled: the program shows the News button, "
                "asks no news server and reports that there is no news",
                "empty MasterPublID to hide the button, or choose the tier whose news you serve");
        return;
    }
    for (const TierKeys& keys : kTierKeys) {
        if (tier != keys.tier)
            continue;
        const std::string& address = info.*keys.address;
        const bool publisherEmpty = (info.*keys.publisher).empty();
        if (publisherEmpty && !findings.About(keys.publisherKey))
            findings.Error(keys.publisherKey,
                "is empty, and BranderType " + tier + " needs it, so the program hides the News button",
                "write the publisher id your news server knows you by, or make BranderType Free for no news");
        if (address.empty() && !findings.About(keys.addressKey))
            findings.Error(keys.addressKey,
                "is empty, and BranderType " + tier + " needs it, so the program hides the News button",
                "write the address of the folder where the news scripts run, such as http://news.example.com/news/");
        else if (const std::string problem = AddressProblem(address, false); !problem.empty())
            findings.Warning(keys.addressKey, Quoted(address) + " " + problem + ", so news requests may fail",
                "write the whole address of the news folder, beginning with http:// or https://");
    }
}

void CheckAffiliate(const BrandingText& read, Findings& findings)
{
    // The address as written: the read value has the placeholder replaced already.
    const BrandingTag* urlTag = nullptr;
    for (const BrandingTag& tag : read.tags)
        if (tag.key == "AffiliateURL")
            urlTag = &tag;
    const std::string written = urlTag != nullptr ? urlTag->value : std::string();
    const BrandingInfo& info = read.BrandingInfo;
    for (std::size_t at = FindIgnoringCase(written, kAffiliatePlaceholder); at != std::string::npos;
         at = FindIgnoringCase(written, kAffiliatePlaceholder, at + 1)) {
        const std::string_view found = std::string_view(written).substr(at, kAffiliatePlaceholder.size());
        if (found != kAffiliatePlaceholder) {
            findings.Error("AffiliateURL",
                "holds " + std::string(found)
                    + ", which the program leaves as it is: it replaces the placeholder only when written in capitals",
                "write " + std::string(kAffiliatePlaceholder));
            break;
        }
    }
    if (written.find(kAffiliatePlaceholder) != std::string::npos && info.AffiliateID.empty()
        && !findings.About("AffiliateID"))
        findings.Warning("AffiliateID",
            "is empty, so the program removes " + std::string(kAffiliatePlaceholder)
                + " from AffiliateURL and the affiliate button opens the address without your id",
            "write your affiliate id");
    if (findings.About("AffiliateURL"))
        return;
    if (info.AffiliateURL.empty())
        findings.Warning("AffiliateURL",
            "is empty, so the affiliate button (\"" + MakeMoneyCaption(info)
                + "\") starts the browser on no page of yours",
            "write the address of your partner program");
    else if (const std::string problem = AddressProblem(info.AffiliateURL, false); !problem.empty())
        findings.Warning("AffiliateURL", Quoted(info.AffiliateURL) + " " + problem + ", so the browser may not open it",
            "write the whole address, beginning with http:// or https://");
}

void CheckHelp(const BrandingInfo& info, Findings& findings)
{
    if (findings.About("AppHelpURL"))
        return;
    if (info.AppHelpURL.empty())
        findings.Warning("AppHelpURL", "is empty, so the Help button starts the browser on no page of yours",
            "write the address of your help");
    else if (const std::string problem = AddressProblem(info.AppHelpURL, false); !problem.empty())
        findings.Warning("AppHelpURL", Quoted(info.AppHelpURL) + " " + problem + ", so the browser may not open it",
            "write the whole address, beginning with http:// or https://");
}

void CheckLinks(const BrandingText& read, Findings& findings)
{
    for (std::size_t index = 0; index < read.links.size(); ++index) {
        const std::string key = "Link" + std::to_string(index + 1);
        const EntryFields fields = SplitEntry(read.links[index]);
        if (fields.first.empty())
            findings.Error(key, "has no caption, so when it is picked first the program hides the link panel",
                "write the caption before the \"^\": caption^address");
        if (fields.second.empty())
            findings.Error(key, "has no address, so clicking it opens nothing",
                "write the address after a \"^\": caption^https://...");
        else if (const std::string problem = AddressProblem(fields.second, true); !problem.empty())
            findings.Error(key, Quoted(fields.second) + " " + problem + ", so clicking it may open nothing",
                "write the whole address, beginning with http://, https:// or mailto:");
    }
}

} // namespace

void Findings::Error(std::string key, std::string problem, std::string fix)
{
    list_.push_back({Severity::Error, std::move(key), std::move(problem), std::move(fix)});
}

void Findings::Warning(std::string key, std::string problem, std::string fix)
{
    list_.push_back({Severity::Warning, std::move(key), std::move(problem), std::move(fix)});
}

bool Findings::About(std::string_view key) const
{
    for (const Finding& finding : list_)
        if (finding.key == key)
            return true;
    return false;
}

int Findings::Count(Severity severity) const
{
    int count = 0;
    for (const Finding& finding : list_)
        count += finding.severity == severity ? 1 : 0;
    return count;
}

std::string AddressProblem(std::string_view address, bool mailAllowed)
{
    for (const char c : address)
        if (static_cast<unsigned char>(c) <= 32 || c == 0x7f)
            return "holds a space, line break or control character";
    for (const std::string_view scheme : {"http://", "https://", "mailto:"}) {
        if (scheme == "mailto:" && !mailAllowed)
            continue;
        if (StartsWithIgnoringCase(address, scheme))
            return address.size() > scheme.size() ? "" : "names nothing after " + std::string(scheme);
    }
    return mailAllowed ? "does not begin with http://, https:// or mailto:" : "does not begin with http:// or https://";
}

void CheckBrandingText(std::string_view plain, std::string_view text, const BrandingText& read, Findings& findings)
{
    if (const std::size_t nul = plain.find('\0'); nul != std::string_view::npos)
        findings.Error("(text)",
            "a NUL byte at offset " + std::to_string(nul) + " ends the text; the program reads nothing after it",
            "save the file as plain text, without that byte");
    CheckTags(text, read, findings);
    CheckApplicationName(read.BrandingInfo, findings);
    CheckTier(read.BrandingInfo, findings);
    CheckAffiliate(read, findings);
    CheckHelp(read.BrandingInfo, findings);
    CheckListNumbers(text, read, findings);
    CheckLinks(read, findings);
    CheckOneLineValues(read, findings);
}

void PrintFinding(std::ostream& out, const Finding& finding)
{
    out << (finding.severity == Severity::Error ? "error: " : "warning: ") << finding.key << ": " << finding.problem
        << ". Fix: " << finding.fix << ".\n";
}

std::string Quoted(std::string_view value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown = "\"";
    for (std::size_t index = 0; index < value.size() && index < kShownValueLength; ++index) {
        const auto c = static_cast<unsigned char>(value[index]);
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (c == '"' || c == '\\')
            shown += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20 || c == 0x7f)
            shown += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
        else
            shown += static_cast<char>(c);
    }
    shown += "\"";
    if (value.size() > kShownValueLength)
        shown += " ... (" + std::to_string(value.size()) + " bytes)";
    return shown;
}
