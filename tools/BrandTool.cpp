// tallywick-brand: the reseller's tool for the files that brand the program.

#include "BrandCommands.h"
#include "shell/AppVersion.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <span>

namespace {

// One row per command; a new command needs only its row and its function.
constexpr BrandCommand kCommands[] = {
    {"encrypt", "PLAIN OUT", 2,
        "Encrypts the file PLAIN into the container OUT with the program's password,\n"
        "as the program expects its branding file (dbsettings.dat).",
        RunEncrypt},
    {"decrypt", "IN OUT", 2,
        "Decrypts the container IN into the plain file OUT. When the password or the\n"
        "authentication code does not match, exits with 1 and leaves OUT untouched.",
        RunDecrypt},
    {"skin", "STYLESHEET OUT", 2,
        "Packs the Qt style sheet STYLESHEET (UTF-8) into the skin file OUT, which the\n"
        "program reads as mainskin.dat beside it and wears in place of its own skin.",
        RunSkin},
    {"template", "OUT", 1,
        "Writes a branding text to OUT with every key in the order the program reads\n"
        "them, each with a sample value and a note on what it does, and beside it the\n"
        "sample picture its banner entry names. Never replaces an existing OUT.",
        RunTemplate},
    {"check", "PACKAGE", 1,
        "Reads the branding text PACKAGE (or PACKAGE/branding.txt when it is a folder)\n"
        "as the program reads it, with the pictures, skin.qss and main.ico beside it.\n"
        "Prints each key's value, every mistake with what the program will do and how\n"
        "to fix it, and what the program will show. Exits with 1 on an error; warnings\n"
        "alone exit with 0.",
        RunCheck},
    {"pack", "[--force] PACKAGE PROGRAM_FOLDER", 2,
        "Brands the program in PROGRAM_FOLDER with PACKAGE, checked as by check:\n"
        "dbsettings.dat from branding.txt, bannerN.dat from each banner's picture,\n"
        "mainskin.dat from skin.qss, main.ico; banner files no entry uses are removed.\n"
        "All of it lands or none. On an error writes nothing and exits with 1, unless\n"
        "--force is given. Ends with what the program will show.",
        RunPack, "--force"},
};

void PrintHelp(std::ostream& out)
{
    out << "Usage: tallywick-brand COMMAND ARGUMENTS...\n"
           "       tallywick-brand --help\n"
           "       tallywick-brand --version\n\nCommands:\n";
    for (const BrandCommand& command : kCommands) {
        out << "  " << command.name << " " << command.arguments << "\n";
        const char* line = command.description;
        while (*line != '\0') {
            const char* end = std::strchr(line, '\n');
            const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
            out << "      " << std::string_view(line, length) << "\n";
            line += length + (end != nullptr ? 1 : 0);
        }
    }
    out << "\nExit status: 0 on success, 1 when the command failed, 2 on a usage error.\n";
}

} // namespace

int main(int argc, char** argv)
{
    // Picture decoders are found as the program finds them, beside the executable too.
    QCoreApplication application(argc, argv);
    const std::span<char*> words(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    if (words.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    const std::string name = words[0];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp(std::cout);
        return kExitSuccess;
    }
    if (name == "--version" && words.size() == 1) {
        std::cout << "tallywick-brand " << kAppVersion << "\n";
        return kExitSuccess;
    }
    for (const BrandCommand& command : kCommands) {
        if (name != command.name)
            continue;
        const auto given = std::count_if(words.begin() + 1, words.end(),
            [&](const char* word) { return command.option == nullptr || std::strcmp(word, command.option) != 0; });
        if (given != command.argumentCount) {
            std::cerr << "Usage: tallywick-brand " << command.name << " " << command.arguments << "\n";
            return kExitUsage;
        }
        const std::vector<std::string> arguments(words.begin() + 1, words.end());
        return command.run(arguments, std::cerr);
    }
    std::cerr << "tallywick-brand: unknown command '" << name << "' (see tallywick-brand --help)\n";
    return kExitUsage;
}
