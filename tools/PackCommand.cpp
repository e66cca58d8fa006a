#include "BrandCommands.h"
#include "FolderUpdate.h"
#include "ResellerPackage.h"

#include "branding/BrandingRotation.h"
#include "branding/SkinFile.h"
#include "text/TextRoutines.h"

#include <iostream>

namespace fs = std::filesystem;

namespace {

// Every file the program reads from its folder, as the package makes it. Banner files no entry
// fills any more are removed, so an earlier pack's picture never shows under a new entry.
std::vector<FileChange> FolderChanges(const ResellerPackage& package, std::string& error)
{
    std::vector<FileChange> changes;
    const std::optional<std::string> container = EncryptBrandingText(package.plain);
    if (!container) {
        error = "cannot encrypt " + package.textPath.string();
        return {};
    }
    changes.push_back({kBrandingFileName, *container});
    for (int number = 1; number <= kMaxBrandingEntries; ++number) {
        const auto index = static_cast<std::size_t>(number - 1);
        if (index < package.banners.size() && package.banners[index].bytes)
            changes.push_back({BannerFileName(number), *package.banners[index].bytes});
        else
            changes.push_back({BannerFileName(number), std::nullopt});
    }
    if (package.styleSheet && !TrimControls(*package.styleSheet).empty())
        changes.push_back({kSkinFileName, PackSkinFile(*package.styleSheet)});
    if (package.icon)
        changes.push_back({kIconFileName, *package.icon});
    return changes;
}

bool HoldsTheProgram(const fs::path& folder)
{
    std::error_code error;
    return fs::exists(folder / "tallywick", error) || fs::exists(folder / "tallywick.exe", error);
}

std::string Counted(int count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

} // namespace

int RunPack(const std::vector<std::string>& arguments, std::ostream& errors)
{
    std::vector<std::string> paths = arguments;
    const bool force = std::erase(paths, "--force") > 0;
    const std::string& source = paths[0];
    const std::string& programFolder = paths[1];
    std::error_code fileError;
    if (!fs::is_directory(programFolder, fileError)) {
        errors << "tallywick-brand: pack: " << programFolder << " is not a folder; give the folder of the program\n";
        return kExitFailure;
    }
    std::string error;
    std::optional<ResellerPackage> package = ReadResellerPackage(source, programFolder, error);
    if (!package) {
        errors << "tallywick-brand: pack: " << error << " (a package folder holds " << kPackageTextName
               << "; tallywick-brand template writes one)\n";
        return kExitFailure;
    }
    if (!HoldsTheProgram(programFolder))
        package->findings.Warning(programFolder, "holds no tallywick program, so nothing there will read these files",
            "give the folder that holds the program");

    std::ostream& out = std::cout;
    PrintFindings(out, *package);
    const int errorCount = package->findings.Count(Severity::Error);
    if (errorCount > 0 && !force) {
        out << "Nothing was written to " << programFolder << ": " << Counted(errorCount, "error")
            << ". Fix them and pack again, or pack anyway with --force.\n";
        return kExitFailure;
    }

    const std::vector<FileChange> changes = FolderChanges(*package, error);
    std::string written;
    std::string removed;
    for (const FileChange& change : changes) {
        if (change.bytes)
            written += " " + change.name;
        else if (fs::exists(fs::path(programFolder) / change.name, fileError))
            removed += " " + change.name;
    }
    if (error.empty())
        error = UpdateFolder(programFolder, changes);
    if (!error.empty()) {
        errors << "tallywick-brand: pack: " << error << "\n";
        return kExitFailure;
    }
    out << "Packed " << package->textPath.string() << " into " << programFolder << ".\n  wrote" << written << "\n";
    if (!removed.empty())
        out << "  removed" << removed << " (from an earlier pack: no picture of this package goes there)\n";
    out << "The program there will show:\n";
    PrintWhatTheProgramShows(out, *package, programFolder);
    return kExitSuccess;
}
