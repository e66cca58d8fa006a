#pragma once

// What a reseller's branding text will do once the program reads it, as findings that name the
// key, say what the program will do and how to put it right. Errors lose something the reseller
// meant to ship and stop a pack; warnings are worth a look but may be meant.

#include "branding/BrandingFile.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { Warning, Error };

struct Finding {
    Severity severity;
    std::string key; // the key or file it is about
    std::string problem; // what is wrong and what the program will do about it
    std::string fix; // how to put it right
};

class Findings {
public:
    void Error(std::string key, std::string problem, std::string fix);
    void Warning(std::string key, std::string problem, std::string fix);
    // Whether something was already said about the key, so one mistake is told once.
    bool About(std::string_view key) const;
    int Count(Severity severity) const;
    const std::vector<Finding>& List() const { return list_; }

private:
    std::vector<Finding> list_;
};

// Checks the keys 1 to 17, the numbering of the lists, and the link entries. `plain` is the
// file's bytes, `text` BrandingLines(plain), and `read` what ReadBrandingText made of it.
void CheckBrandingText(std::string_view plain, std::string_view text, const BrandingText& read, Findings& findings);

// Why an address would not open as meant ("holds a space", "does not begin with ..."), or empty.
std::string AddressProblem(std::string_view address, bool mailAllowed);

// One finding on one line: "error: KEY: PROBLEM. Fix: FIX."
void PrintFinding(std::ostream& out, const Finding& finding);

// A value on one line: line breaks and other control bytes as escapes, long values cut.
std::string Quoted(std::string_view value);
