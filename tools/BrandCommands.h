#pragma once

// The reseller tool's commands. Each takes its own arguments (the command name removed),
// writes what went wrong to `errors`, and returns the process exit code.

#include <ostream>
#include <string>
#include <vector>

struct BrandCommand {
    const char* name;
    const char* arguments; // shown in the usage line, e.g. "PLAIN OUT"
    int argumentCount;
    const char* description; // one or more lines for --help
    int (*run)(const std::vector<std::string>& arguments, std::ostream& errors);
    const char* option = nullptr; // a switch the command also takes, passed on among its arguments
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunEncrypt(const std::vector<std::string>& arguments, std::ostream& errors);
int RunDecrypt(const std::vector<std::string>& arguments, std::ostream& errors);
int RunSkin(const std::vector<std::string>& arguments, std::ostream& errors);
// These write their report to standard output.
int RunCheck(const std::vector<std::string>& arguments, std::ostream& errors);
int RunTemplate(const std::vector<std::string>& arguments, std::ostream& errors);
int RunPack(const std::vector<std::string>& arguments, std::ostream& errors);
