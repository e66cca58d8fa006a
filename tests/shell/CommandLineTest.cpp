#include "shell/CommandLine.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode;
    std::string output, errors;
};

// Runs a program as a user would from a terminal without any display, with the window
// system that needs one chosen: touching it would end the program with an error.
Outcome Start(const std::string& program, const std::string& arguments)
{
    TempDir folder;
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" + program + "' " + arguments
        + " >'" + folder.File("out") + "' 2>'" + folder.File("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(folder.File("out")),
        ReadWholeFile(folder.File("err"))};
}

const std::string kUsageStart = "Usage: tallywick [--help | --version]\n";

} // namespace

TEST(CommandLine, NoArgumentsOpensTheWindow)
{
    std::ostringstream out, errors;
    EXPECT_EQ(AnswerCommandLine({}, out, errors), std::nullopt);
    EXPECT_EQ(out.str() + errors.str(), "");
}

TEST(CommandLine, AnswersWithoutADisplay)
{
    struct Case {
        const char* program;
        const char* arguments;
        int exitCode;
        std::string output; // exact, or only its start when it ends in "..."
        std::string errors; // the start of what is printed there
    };
    const Case cases[] = {
        {TALLYWICK_PROGRAM, "--version", 0, "Tallywick " TALLYWICK_PROJECT_VERSION "\n", ""},
        {TALLYWICK_PROGRAM, "--help", 0, kUsageStart + "...", ""},
        {TALLYWICK_PROGRAM, "-h", 0, kUsageStart + "...", ""},
        {TALLYWICK_PROGRAM, "--verbose", 2, "", "tallywick: unknown option '--verbose'\n" + kUsageStart},
        {TALLYWICK_PROGRAM, "page.php", 2, "", "tallywick: unknown option 'page.php'\n" + kUsageStart},
        {TALLYWICK_PROGRAM, "--version --help", 2, "", "tallywick: one option at most\n" + kUsageStart},
        {TALLYWICK_BRAND_TOOL, "--version", 0, "tallywick-brand " TALLYWICK_PROJECT_VERSION "\n", ""},
        {TALLYWICK_BRAND_TOOL, "--help", 0, "Usage: tallywick-brand ...", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.arguments);
        const Outcome run = Start(c.program, c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        if (c.output.ends_with("...")) {
            EXPECT_TRUE(run.output.starts_with(c.output.substr(0, c.output.size() - 3))) << run.output;
        } else {
            EXPECT_EQ(run.output, c.output);
        }
        EXPECT_TRUE(run.errors.starts_with(c.errors)) << run.errors;
        if (c.errors.empty()) {
            EXPECT_EQ(run.errors, "");
        }
    }
}
