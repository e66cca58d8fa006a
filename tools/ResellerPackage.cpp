#include "ResellerPackage.h"

#include "branding/BrandingPictures.h"
#include "branding/BrandingRotation.h"
#include "branding/SkinFile.h"
#include "shell/AppVersion.h"
#include "text/TextRoutines.h"

namespace fs = std::filesystem;

namespace {

// A file under another letter case, so a reseller on a case-blind system learns why it is missing.
std::string NameInOtherCase(const fs::path& folder, const std::string& name)
{
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string other = entry->path().filename().string();
        if (other != name && EqualsIgnoringCase(other, name))
            return other;
    }
    return {};
}

std::string FormatName(const std::string& format)
{
    if (format == "gif")
        return "an animated GIF";
    std::string upper = format;
    for (char& c : upper)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return upper;
}

std::string Joined(const std::vector<std::string>& words)
{
    std::string joined;
    for (const std::string& word : words)
        joined += (joined.empty() ? "" : ", ") + word;
    return joined;
}

void CheckBanner(PackageBanner& banner, const std::string& entry, const fs::path& folder,
    const std::string& programFolder, Findings& findings)
{
    const std::string key = "Banner" + std::to_string(banner.number);
    const EntryFields fields = SplitEntry(entry);
    if (entry.find('^') == std::string::npos)
        findings.Warning(key, "has no \"^\" and so no click address: the banner shows, but clicking it does nothing",
            "write the address after the picture's name: name^https://...");
    else if (const std::string problem = fields.second.empty() ? "" : AddressProblem(fields.second, true);
             !problem.empty())
        findings.Error(key, Quoted(fields.second) + " " + problem + ", so clicking the banner may open nothing",
            "write the whole address, beginning with http://, https:// or mailto:");
    if (banner.imageName.empty()) {
        findings.Error(key, "names no picture, so the program hides the banner panel whenever it picks this banner",
            "write the picture's file name before the \"^\"");
        return;
    }
    const std::string displayName = BannerDisplayName(banner.imageName);
    const std::string displayPath
        = programFolder.empty() ? displayName : (fs::path(programFolder) / displayName).string();
    banner.format = BannerPictureFormat(displayPath);
    const bool folderSaysGif = IsAnimatedBannerPath(displayPath) && !IsAnimatedBannerPath(displayName);
    if (!BannerFormatShowable(displayPath)) {
        findings.Error(key,
            Quoted(banner.imageName)
                + (banner.format.empty() ? " has no extension" : " ends in no extension of a picture format")
                + " the program shows (" + Joined(ShowableBannerFormats())
                + "), so it hides the banner panel whenever it picks this banner",
            "use a GIF (animated), PNG, JPEG or BMP picture and give its name that extension");
        return;
    }
    banner.picturePath = folder / displayName;
    std::error_code error;
    if (!fs::exists(banner.picturePath, error)) {
        const std::string other = NameInOtherCase(banner.picturePath.parent_path(), displayName);
        findings.Error(key,
            "its picture " + displayName + " is not beside the branding text"
                + (other.empty() ? "" : " (there is " + other + ": letter case counts)")
                + ", so there is nothing to show",
            "put the picture there under the name the entry gives");
        return;
    }
    banner.bytes = ReadPackageFile(banner.picturePath.string(), kMaxBannerFileSize);
    if (!banner.bytes) {
        findings.Error(key,
            "its picture " + banner.picturePath.string() + " cannot be read or is larger than "
                + std::to_string(kMaxBannerFileSize >> 20) + " MiB, so the program would not show it",
            "give a readable picture of banner size");
        return;
    }
    const std::optional<QImage> picture = DecodeBannerPicture(*banner.bytes, displayPath);
    if (!picture) {
        findings.Error(key,
            displayName + " does not decode as " + FormatName(banner.format)
                + (folderSaysGif ? ", which the program reads every banner as because the program folder's path "
                                   "holds \".gif\""
                                 : ", the format its name says")
                + "; the program does not guess formats and hides the banner panel",
            folderSaysGif ? "pack into a folder whose path holds no \".gif\""
                          : "save the picture in the format its extension names, or rename it after its real format");
        return;
    }
    banner.width = picture->width();
    banner.height = picture->height();
}

void ReadSkin(ResellerPackage& package)
{
    const fs::path path = package.folder / kPackageSkinName;
    std::error_code error;
    if (!fs::exists(path, error))
        return;
    package.styleSheet = ReadPackageFile(path.string(), kMaxStyleSheetSize);
    if (!package.styleSheet)
        package.findings.Error(kPackageSkinName,
            "cannot be read or is larger than " + std::to_string(kMaxStyleSheetSize >> 20)
                + " MiB, so the program keeps its built-in skin",
            "give a readable Qt style sheet");
    else if (TrimControls(*package.styleSheet).empty())
        package.findings.Error(kPackageSkinName, "is empty, so the program keeps its built-in skin",
            "write a Qt style sheet into it, or remove it");
}

void ReadIcon(ResellerPackage& package)
{
    const fs::path path = package.folder / kIconFileName;
    std::error_code error;
    if (!fs::exists(path, error))
        return;
    package.icon = ReadPackageFile(path.string(), kMaxBannerFileSize);
    if (package.icon)
        package.iconPictures = static_cast<int>(DecodeIconPictures(path.string()).size());
    if (package.iconPictures == 0)
        package.findings.Error(kIconFileName, "does not load as an icon, so the program keeps its default icon",
            "save it as a Windows icon file (.ico)");
}

std::string NewsScriptAddress(const std::string& base)
{
    return base + (!base.empty() && base.back() == '/' ? "" : "/") + "getlastnews.php";
}

} // namespace

std::optional<ResellerPackage> ReadResellerPackage(
    const std::string& path, const std::string& programFolder, std::string& error)
{
    ResellerPackage package;
    std::error_code fileError;
    package.textPath = fs::is_directory(path, fileError) ? fs::path(path) / kPackageTextName : fs::path(path);
    package.folder = package.textPath.has_parent_path() ? package.textPath.parent_path() : fs::path(".");
    const std::optional<std::string> plain = ReadPackageFile(package.textPath.string(), kMaxBrandingFileSize);
    if (!plain) {
        error = "cannot read " + package.textPath.string();
        return std::nullopt;
    }
    package.plain = *plain;
    const std::string text = BrandingLines(package.plain);
    package.read = ReadBrandingText(text);
    CheckBrandingText(package.plain, text, package.read, package.findings);
    for (std::size_t index = 0; index < package.read.banners.size(); ++index) {
        PackageBanner banner;
        banner.number = static_cast<int>(index) + 1;
        banner.imageName = SplitEntry(package.read.banners[index]).first;
        CheckBanner(banner, package.read.banners[index], package.folder, programFolder, package.findings);
        package.banners.push_back(std::move(banner));
    }
    ReadSkin(package);
    ReadIcon(package);
    return package;
}

void PrintFindings(std::ostream& out, const ResellerPackage& package)
{
    for (const Finding& finding : package.findings.List())
        PrintFinding(out, finding);
}

void PrintWhatTheProgramShows(std::ostream& out, const ResellerPackage& package, const std::string& programFolder)
{
    const BrandingInfo& info = package.read.BrandingInfo;
    out << "  caption        " << Quoted(info.ApplicationName + " v" + kAppVersion) << "\n";
    out << "  tier           " << (info.BranderType.empty() ? "(none)" : Quoted(info.BranderType)) << "\n";
    std::string news;
    if (!NewsButtonVisible(info)) {
        news = "hidden";
    } else if (info.BranderType == "Free") {
        news = "shown, but it asks no news server (tier Free) and reports that there is no news";
    } else if (const std::optional<NewsTier> tier = NewsTierFor(info)) {
        news = "shown; it asks " + NewsScriptAddress(tier->baseUrl) + " as publisher " + Quoted(tier->publisherId)
            + ", product " + Quoted(info.BranderCode) + " of type " + tier->productType;
    }
    out << "  News button    " << news << "\n";
    out << "  affiliate      " << Quoted(MakeMoneyCaption(info)) << " opens " << Quoted(info.AffiliateURL) << "\n";
    const std::size_t welcome = package.read.welcomePages.size();
    out << "  welcome pages  "
        << (welcome == 0          ? "none: it opens on its main page"
                   : welcome == 1 ? "1, opened on at each start"
                                  : std::to_string(welcome) + ", one picked at random at each start")
        << "\n";
    out << "  banners        "
        << (package.banners.empty() ? "none: the banner panel is hidden"
                   : package.banners.size() == 1
                   ? "1, shown at each start"
                   : std::to_string(package.banners.size()) + ", one picked at random at each start")
        << "\n";
    for (const PackageBanner& banner : package.banners) {
        out << "    " << BannerFileName(banner.number) << "  " << banner.imageName;
        if (banner.width > 0)
            out << ", " << FormatName(banner.format) << " of " << banner.width << "x" << banner.height;
        else
            out << ", not shown";
        out << "\n";
    }
    const std::size_t links = package.read.links.size();
    out << "  links          "
        << (links == 0          ? "none: the link panel is hidden"
                   : links == 1 ? "1, always shown"
                                : std::to_string(links) + ", two different ones picked at random at each start")
        << "\n";
    // A skin or icon already in the program folder stays when the package brings none.
    auto already = [&](const char* name) {
        std::error_code error;
        return !programFolder.empty() && fs::exists(fs::path(programFolder) / name, error);
    };
    out << "  skin           ";
    if (package.styleSheet && !TrimControls(*package.styleSheet).empty())
        out << "from skin.qss\n";
    else if (already(kSkinFileName))
        out << "the mainskin.dat already in the folder, not from this package (delete it for the built-in skin)\n";
    else
        out << "the built-in one\n";
    out << "  icon           ";
    if (package.iconPictures > 0)
        out << "from main.ico, " << package.iconPictures << (package.iconPictures == 1 ? " size\n" : " sizes\n");
    else if (!package.icon && already(kIconFileName))
        out << "the main.ico already in the folder, not from this package\n";
    else
        out << "the default one\n";
}
