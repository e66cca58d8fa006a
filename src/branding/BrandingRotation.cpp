#include "branding/BrandingRotation.h"

#include "text/TextRoutines.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

RandomPick SystemRandomPick()
{
    std::random_device device;
    const auto clock = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::seed_seq seed{device(), device(), static_cast<unsigned>(clock), static_cast<unsigned>(clock >> 32)};
    auto generator = std::make_shared<std::mt19937>(seed);
    return [generator](unsigned count) { return std::uniform_int_distribution<unsigned>(0, count - 1)(*generator); };
}

EntryFields SplitEntry(const std::string& entry)
{
    std::vector<std::string> fields;
    SplitFields('^', entry, fields);
    EntryFields split;
    if (!fields.empty())
        split.first = std::move(fields[0]);
    if (fields.size() > 1)
        split.second = std::move(fields[1]);
    return split;
}

Rotation PickRotation(const std::vector<std::string>& welcomePages, const std::vector<std::string>& banners,
    std::vector<std::string> links, const RandomPick& pick)
{
    // A seam that answers out of range still picks an entry that exists.
    auto index
        = [&pick](std::size_t count) { return static_cast<std::size_t>(pick(static_cast<unsigned>(count))) % count; };
    Rotation rotation;
    if (!welcomePages.empty())
        rotation.WelcomeText = welcomePages[index(welcomePages.size())];
    if (!banners.empty()) {
        const std::size_t picked = index(banners.size());
        EntryFields banner = SplitEntry(banners[picked]);
        rotation.bannerNumber = static_cast<int>(picked) + 1;
        rotation.BannerImageName = std::move(banner.first);
        rotation.BannerUrl = std::move(banner.second);
    }
    if (!links.empty()) {
        const std::size_t first = index(links.size());
        EntryFields link = SplitEntry(links[first]);
        rotation.FirstLinkCaption = std::move(link.first);
        rotation.FirstLinkUrl = std::move(link.second);
        links.erase(links.begin() + static_cast<std::ptrdiff_t>(first));
    }
    if (!links.empty()) {
        EntryFields link = SplitEntry(links[index(links.size())]);
        rotation.SecondLinkCaption = std::move(link.first);
        rotation.SecondLinkUrl = std::move(link.second);
    }
    return rotation;
}

std::string BannerFileName(int number)
{
    return "banner" + std::to_string(number) + ".dat";
}

std::string BannerDisplayName(const std::string& imageName)
{
    const std::size_t separator = imageName.find_last_of("\\:/");
    return separator == std::string::npos ? imageName : imageName.substr(separator + 1);
}

bool IsAnimatedBannerPath(const std::string& displayPath)
{
    return FindIgnoringCase(displayPath, ".gif") != std::string::npos;
}

std::string StillBannerFormat(const std::string& displayName)
{
    const std::size_t dot = displayName.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = displayName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    // Other names of the same formats, as Windows picture files carry them.
    static constexpr std::pair<const char*, const char*> kAliases[]
        = {{"jpg", "jpeg"}, {"jpe", "jpeg"}, {"jfif", "jpeg"}, {"dib", "bmp"}, {"tif", "tiff"}};
    for (const auto& [alias, format] : kAliases)
        if (extension == alias)
            return format;
    return extension;
}

std::string BannerPictureFormat(const std::string& displayPath)
{
    return IsAnimatedBannerPath(displayPath) ? "gif" : StillBannerFormat(BannerDisplayName(displayPath));
}
