#include "support/TestMain.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
std::vector<std::string>* g_unexpectedErrors = nullptr;
}

// Leaks of the C library itself that no test can avoid, read by the leak checker of a
// sanitizer build at start: glibc's setlocale keeps the search path it built from LOCPATH
// (the decimal-comma locale of the update file tests is loaded from a temporary folder).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:__argz_add_sep\n";
}

std::vector<std::string>& UnexpectedErrorsSeen()
{
    return *g_unexpectedErrors;
}

int main(int argc, char** argv)
{
    // Widgets are drawn offscreen unless the caller asks for a real display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    std::vector<std::string> errors;
    g_unexpectedErrors = &errors;
    TApplication app(argc, argv);
    app.SetUnexpectedErrorReporter([&errors](const std::string& text) { errors.push_back(text); });
    return RUN_ALL_TESTS();
}
