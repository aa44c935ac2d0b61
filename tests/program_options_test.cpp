// The windowed program's own options, answered in a terminal without a display.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Runs Vornak where no display can be had: a window would fail to open, or wait for ever. Its
// standard output goes to `out`, which is read back unless it is /dev/full.
Outcome run_without_display(const std::string& arguments,
                            const std::string& out = testing::TempDir() + "vornak.out")
{
    const std::string err = testing::TempDir() + "vornak.err";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 '" +
                                std::string(VORNAK_WINDOWS) + "' " + arguments + " >'" + out +
                                "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out == "/dev/full" ? "" : read_file(out),
            read_file(err)};
}

}  // namespace

TEST(ProgramOptions, HelpPrintsTheUsageWithoutOpeningAWindow)
{
    for (const std::string arguments : {"--help", "-h", "--study --help"}) {
        const Outcome run = run_without_display(arguments);
        EXPECT_EQ(run.status, 0) << arguments;
        EXPECT_EQ(run.err, "") << arguments;
        EXPECT_TRUE(run.out.starts_with("usage: Vornak [--study [FILE]]\n"
                                        "       Vornak --version\n"
                                        "       Vornak --help\n"))
            << run.out;
        for (const std::string option : {"--study [FILE]", "--version", "-h, --help"})
            EXPECT_NE(run.out.find("\n  " + option + " "), std::string::npos) << option;
    }
    const Outcome full = run_without_display("--help", "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "standard output: disk full.\n");
}
