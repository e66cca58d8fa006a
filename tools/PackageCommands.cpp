#include "BrandCommands.h"
#include "ReplaceViaTemporary.h"

#include "branding/BrandingFile.h"
#include "branding/BrandingRotation.h"
#include "branding/SkinFile.h"
#include "text/TextRoutines.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <set>

namespace {

constexpr std::size_t kShownValueLength = 160;

// A value on one line: line breaks and other control bytes as escapes, long values cut.
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

class CheckReport {
public:
    explicit CheckReport(std::ostream& out)
        : out_(out)
    { }
    void Problem(const std::string& text)
    {
        out_ << "  problem: " << text << "\n";
        ++problems_;
    }
    int Problems() const { return problems_; }

private:
    std::ostream& out_;
    int problems_ = 0;
};

void CheckKeys(std::string_view text, const BrandingText& read, CheckReport& report, std::ostream& out)
{
    out << "Values, as the program reads them:\n";
    const BrandingTag* lastFound = nullptr;
    for (const BrandingTag& tag : read.tags) {
        out << "  " << tag.key << " = " << (tag.opened ? Quoted(tag.value) : "(not found)") << "\n";
        if (!tag.opened && FindIgnoringCase(text, OpeningTag(tag.key)) != std::string_view::npos)
            report.Problem(tag.key + " reads as empty: it stands before "
                + (lastFound != nullptr ? lastFound->key : std::string("the place reached"))
                + ", which is read earlier");
        else if (tag.opened && !tag.closed)
            report.Problem(tag.key + " has no closing tag " + ClosingTag(tag.key)
                + ": it reads as empty, and the keys after it are searched from just behind its opening tag");
        if (tag.opened)
            lastFound = &tag;
    }
}

void CheckLists(std::string_view text, const BrandingText& read, CheckReport& report)
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
            std::string why;
            if (!canonical)
                why = "numbers are written without leading zeros, from 1 to 16";
            else if (value > kMaxBrandingEntries)
                why = "at most 16 are read";
            else
                why = "the list ends at " + std::string(name) + std::to_string(count + 1)
                    + ", which is missing or empty";
            report.Problem(std::string(name) + number + " is never read: " + why);
        }
    }
}

void CheckEntries(const BrandingText& read, const std::filesystem::path& folder, CheckReport& report)
{
    for (std::size_t index = 0; index < read.banners.size(); ++index) {
        const std::string key = "Banner" + std::to_string(index + 1);
        const EntryFields fields = SplitEntry(read.banners[index]);
        if (read.banners[index].find('^') == std::string::npos)
            report.Problem(key + " has no \"^\": it names a picture and no click address");
        if (fields.first.empty()) {
            report.Problem(key + " names no picture: the banner panel stays hidden when it is picked");
            continue;
        }
        const std::string file = BannerFileName(static_cast<int>(index) + 1);
        std::error_code ignored;
        if (!std::filesystem::exists(folder / file, ignored))
            report.Problem(key + ": " + file + " is missing beside the branding text");
    }
    for (std::size_t index = 0; index < read.links.size(); ++index)
        if (read.links[index].find('^') == std::string::npos)
            report.Problem("Link" + std::to_string(index + 1) + " has no \"^\": it has a caption and no address");
}

} // namespace

int RunSkin(const std::vector<std::string>& arguments, std::ostream& errors)
{
    const std::string& styleSheetPath = arguments[0];
    const std::string& outPath = arguments[1];
    const std::optional<std::string> styleSheet = ReadPackageFile(styleSheetPath, kMaxStyleSheetSize);
    if (!styleSheet) {
        errors << "tallywick-brand: skin: cannot read " << styleSheetPath << " (or it is larger than "
               << kMaxStyleSheetSize << " bytes)\n";
        return kExitFailure;
    }
    if (TrimControls(*styleSheet).empty()) {
        errors << "tallywick-brand: skin: " << styleSheetPath << " is empty; the program would keep its own skin\n";
        return kExitFailure;
    }
    const std::string skin = PackSkinFile(*styleSheet);
    const std::string error = ReplaceViaTemporary(outPath, [&](WritableStream& destination) -> std::string {
        if (!destination.Write(reinterpret_cast<const unsigned char*>(skin.data()), skin.size()))
            return "cannot write " + outPath;
        return {};
    });
    if (!error.empty()) {
        errors << "tallywick-brand: skin: " << error << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunCheck(const std::vector<std::string>& arguments, std::ostream& errors)
{
    const std::string& plainPath = arguments[0];
    const std::optional<std::string> plain = ReadPackageFile(plainPath, kMaxBrandingFileSize);
    if (!plain) {
        errors << "tallywick-brand: check: cannot read " << plainPath << "\n";
        return kExitFailure;
    }
    std::ostream& out = std::cout;
    const std::string text = BrandingLines(*plain);
    const BrandingText read = ReadBrandingText(text);
    CheckReport report(out);
    if (const std::size_t nul = plain->find('\0'); nul != std::string::npos)
        report.Problem("a NUL byte at offset " + std::to_string(nul) + " ends the text; nothing after it is read");
    CheckKeys(text, read, report, out);
    CheckLists(text, read, report);
    CheckEntries(read, std::filesystem::path(plainPath).parent_path(), report);

    out << "News button: " << (NewsButtonVisible(read.BrandingInfo) ? "shown" : "hidden") << "\n";
    out << "Affiliate button: " << Quoted(MakeMoneyCaption(read.BrandingInfo)) << "\n";
    out << "Affiliate address: " << Quoted(read.BrandingInfo.AffiliateURL) << "\n";
    if (report.Problems() == 0) {
        out << "No problems found.\n";
        return kExitSuccess;
    }
    out << report.Problems() << (report.Problems() == 1 ? " problem" : " problems") << " found.\n";
    return kExitFailure;
}
