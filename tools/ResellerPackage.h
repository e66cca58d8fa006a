#pragma once

// A reseller's package: the plain branding text with, beside it, the banner pictures under the
// names its entries give, and optionally skin.qss and main.ico. Read and checked as the program
// will use what is packed from it.

#include "BrandingCheck.h"

#include "branding/BrandingFile.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline constexpr const char* kPackageTextName = "branding.txt";
inline constexpr const char* kPackageSkinName = "skin.qss";
inline constexpr const char* kIconFileName = "main.ico";

struct PackageBanner {
    int number = 0; // n of its Banner key: the picture goes into bannerN.dat
    std::string imageName; // field 1 of the entry
    std::filesystem::path picturePath; // where its picture is looked for
    std::optional<std::string> bytes; // the picture, when it could be read
    std::string format; // what the program reads it as: "gif" (animated), "png", "jpeg", ...
    int width = 0; // the size it shows at, when it decodes
    int height = 0;
};

struct ResellerPackage {
    std::filesystem::path textPath;
    std::filesystem::path folder; // where the pictures, skin and icon are looked for
    std::string plain;
    BrandingText read;
    std::vector<PackageBanner> banners;
    std::optional<std::string> styleSheet; // skin.qss, when there is one
    std::optional<std::string> icon; // main.ico, when there is one
    int iconPictures = 0; // how many of its pictures decode
    Findings findings;
};

// Reads and checks the package at `path`: a folder holding branding.txt, or the branding text
// itself. `programFolder` is where the program will read the packed files (its path decides as
// much as a picture's name does); empty when not known. Nothing, with `error` set, when the text
// cannot be read.
std::optional<ResellerPackage> ReadResellerPackage(
    const std::string& path, const std::string& programFolder, std::string& error);

// The findings, each on its line.
void PrintFindings(std::ostream& out, const ResellerPackage& package);

// What the program will show with the package: caption, tier and news, the lists, skin and icon.
// `programFolder`, when known, tells whether a skin or icon the package lacks is there already.
void PrintWhatTheProgramShows(std::ostream& out, const ResellerPackage& package, const std::string& programFolder);
