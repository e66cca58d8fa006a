#pragma once

// What each start picks from the branding file's welcome pages, banners and links, and how
// a banner's picture is found. No widgets here; the main window shows the result.

#include <functional>
#include <string>
#include <vector>

// Uniform in [0, count); count is at least 1.
using RandomPick = std::function<unsigned(unsigned count)>;

// A generator seeded once from the system's entropy and the clock.
RandomPick SystemRandomPick();

// The first two "^"-separated fields of a banner or link entry; missing ones are empty.
struct EntryFields {
    std::string first;
    std::string second;
};
EntryFields SplitEntry(const std::string& entry);

struct Rotation {
    std::string WelcomeText;
    int bannerNumber = 0; // the picked Banner key's number, 1 to 16; 0 without banners
    std::string BannerImageName;
    std::string BannerUrl;
    std::string FirstLinkCaption, FirstLinkUrl;
    std::string SecondLinkCaption, SecondLinkUrl;
};

// Four independent picks: a welcome page, a banner, and two different links.
Rotation PickRotation(const std::vector<std::string>& welcomePages, const std::vector<std::string>& banners,
    std::vector<std::string> links, const RandomPick& pick);

// "banner" + n + ".dat": the file that holds the picture of banner n.
std::string BannerFileName(int number);
// The file-name part of a banner's image name: what follows its last "\", ":" or "/".
std::string BannerDisplayName(const std::string& imageName);
// Whether a banner is shown animated: its display path, in lower case, holds ".gif".
bool IsAnimatedBannerPath(const std::string& displayPath);
// The picture format that a still banner's display name names by its extension, in lower
// case as the image readers spell it ("png", "jpeg", "bmp", ...); empty without an extension.
std::string StillBannerFormat(const std::string& displayName);
// The format the program reads a banner in: "gif" when its display path says animated, else
// the still format of its display name.
std::string BannerPictureFormat(const std::string& displayPath);
