// Writing and reading whole files in the tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

// Writes contents to a fresh file in the test's temporary folder and gives its path.
inline std::string write_temp_file(const std::string& name, const std::string& contents)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    return path;
}

// The bytes of a file; empty when it cannot be read.
inline std::string file_content(const std::filesystem::path& path)
{
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}
