// Runs the real vornak-batch executable (VORNAK_BATCH) through the shell, for what only the
// whole program does: the locale, pictures, standard streams that fail.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/support/batch_outcome.hpp"

// Runs it with the given environment settings. A run that takes more than a few seconds is
// killed, and its status is then 124.
inline Outcome run_executable(const std::string& environment, const std::string& arguments)
{
    const std::string out = testing::TempDir() + "batch.out";
    const std::string err = testing::TempDir() + "batch.err";
    const std::string command = "env -u LC_ALL -u LC_NUMERIC -u LANG " + environment + " timeout 5 '" +
                                VORNAK_BATCH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    const auto contents = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contents(out), contents(err)};
}
