#include "BrandCommands.h"
#include "ReplaceViaTemporary.h"
#include "ResellerPackage.h"

#include "branding/SkinFile.h"
#include "text/TextRoutines.h"

#include <iostream>

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
    std::string error;
    const std::optional<ResellerPackage> package = ReadResellerPackage(arguments[0], {}, error);
    if (!package) {
        errors << "tallywick-brand: check: " << error << "\n";
        return kExitFailure;
    }
    std::ostream& out = std::cout;
    out << "Values, as the program reads them:\n";
    for (const BrandingTag& tag : package->read.tags)
        out << "  " << tag.key << " = " << (tag.opened ? Quoted(tag.value) : "(not found)") << "\n";
    PrintFindings(out, *package);
    out << "The program will show, once this is packed:\n";
    PrintWhatTheProgramShows(out, *package, {});
    const int errorCount = package->findings.Count(Severity::Error);
    const int warningCount = package->findings.Count(Severity::Warning);
    if (errorCount + warningCount == 0) {
        out << "No problems found.\n";
        return kExitSuccess;
    }
    out << errorCount << (errorCount == 1 ? " error, " : " errors, ") << warningCount
        << (warningCount == 1 ? " warning" : " warnings")
        << (errorCount > 0 ? ": pack refuses this until the errors are fixed.\n" : ": pack takes this as it is.\n");
    return errorCount > 0 ? kExitFailure : kExitSuccess;
}
